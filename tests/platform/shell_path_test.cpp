// Path helpers follow the Windows shell's rules; data paths map onto the host.
#include "platform/shell_path.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

TEST(ShellPath, ExtensionIsAfterTheLastDotOfTheLastComponent) {
  EXPECT_EQ(platform::pathExtension("data\\model\\box.mqo"), "mqo");
  EXPECT_EQ(platform::pathExtension("data\\a.b\\noext"), "");
  EXPECT_EQ(platform::pathExtension("archive.tar.GZ"), "GZ");
  EXPECT_EQ(platform::pathExtension("name."), "");
  EXPECT_EQ(platform::pathExtension("file.with space"), "");
  EXPECT_EQ(platform::pathExtension("data/x.fx"), "fx");
}

TEST(ShellPath, StripAndRemoveExtension) {
  EXPECT_EQ(platform::stripPath("data\\model\\boxdna\\boxdna_s_uv.mqo"), "boxdna_s_uv.mqo");
  EXPECT_EQ(platform::stripPath("plain.qel"), "plain.qel");
  EXPECT_EQ(platform::stripPath("C:file.txt"), "file.txt");
  EXPECT_EQ(platform::removeExtension("data\\anim\\start.qel"), "data\\anim\\start");
  EXPECT_EQ(platform::removeExtension("data.d\\noext"), "data.d\\noext");
}

TEST(ShellPath, RemoveFileSpecKeepsRoots) {
  EXPECT_EQ(platform::removeFileSpec("data\\anim\\start.qel"), "data\\anim");
  EXPECT_EQ(platform::removeFileSpec("start.qel"), "");
  EXPECT_EQ(platform::removeFileSpec("\\start.qel"), "\\");
  EXPECT_EQ(platform::removeFileSpec("C:\\start.qel"), "C:\\");
  EXPECT_EQ(platform::removeFileSpec("data/anim/start.qel"), "data/anim");
}

TEST(ShellPath, RelativePaths) {
  EXPECT_TRUE(platform::isRelativePath("data\\x"));
  EXPECT_TRUE(platform::isRelativePath("x"));
  EXPECT_FALSE(platform::isRelativePath("\\x"));
  EXPECT_FALSE(platform::isRelativePath("/x"));
  EXPECT_FALSE(platform::isRelativePath("C:\\x"));
}

TEST(ShellPath, HostPathMapsSeparatorsAndFindsCaseVariants) {
  TempDir dir;
  dir.write("Model/BoxDNA/boxdna_S_UV.mqo", "m");
  const std::string root = dir.path().string();
  EXPECT_EQ(platform::hostPath(root + "\\model\\boxdna\\boxdna_s_uv.mqo"), root + "/Model/BoxDNA/boxdna_S_UV.mqo");
  EXPECT_EQ(platform::hostPath(root + "//Model//BoxDNA"), root + "/Model/BoxDNA");
  EXPECT_TRUE(platform::pathFileExists(root + "\\MODEL\\boxdna"));
  EXPECT_FALSE(platform::pathFileExists(root + "\\model\\none.mqo"));
  // Nothing matches: the exact mapping comes back, so the open fails as it should.
  EXPECT_EQ(platform::hostPath(root + "\\nope\\x.mqo"), root + "/nope/x.mqo");
}
