// Path helpers follow the Windows shell's rules; data paths map onto the host;
// names read from data files stay inside the data folder or are refused.
#include "framework/shell_path.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

TEST(ShellPath, ExtensionFileSpecAndRelativePathsFollowTheShellsRules) {
  EXPECT_EQ(paths::pathExtension("data\\model\\box.mqo"), "mqo");
  EXPECT_EQ(paths::pathExtension("data\\a.b\\noext"), "");
  EXPECT_EQ(paths::pathExtension("archive.tar.GZ"), "GZ");
  EXPECT_EQ(paths::pathExtension("name."), "");
  EXPECT_EQ(paths::pathExtension("file.with space"), "");
  EXPECT_EQ(paths::stripPath("data\\model\\boxdna\\boxdna_s_uv.mqo"), "boxdna_s_uv.mqo");
  EXPECT_EQ(paths::stripPath("C:file.txt"), "file.txt");
  EXPECT_EQ(paths::removeExtension("data\\anim\\start.qel"), "data\\anim\\start");
  EXPECT_EQ(paths::removeExtension("data.d\\noext"), "data.d\\noext");
  EXPECT_EQ(paths::removeFileSpec("data\\anim\\start.qel"), "data\\anim");
  EXPECT_EQ(paths::removeFileSpec("start.qel"), "");
  EXPECT_EQ(paths::removeFileSpec("\\start.qel"), "\\");
  EXPECT_EQ(paths::removeFileSpec("C:\\start.qel"), "C:\\");
  EXPECT_EQ(paths::removeFileSpec("data/anim/start.qel"), "data/anim");
  EXPECT_TRUE(paths::isRelativePath("data\\x"));
  EXPECT_FALSE(paths::isRelativePath("\\x"));
  EXPECT_FALSE(paths::isRelativePath("/x"));
  EXPECT_FALSE(paths::isRelativePath("C:\\x"));
}

TEST(ShellPath, HostPathMapsSeparatorsAndFindsCaseVariants) {
  TempDir dir;
  dir.write("Model/BoxDNA/boxdna_S_UV.mqo", "m");
  const std::string root = dir.path().string();
  EXPECT_EQ(paths::hostPath(root + "\\model\\boxdna\\boxdna_s_uv.mqo"), root + "/Model/BoxDNA/boxdna_S_UV.mqo");
  EXPECT_EQ(paths::hostPath(root + "//Model//BoxDNA"), root + "/Model/BoxDNA");
  EXPECT_TRUE(paths::pathFileExists(root + "\\MODEL\\boxdna"));
  EXPECT_FALSE(paths::pathFileExists(root + "\\model\\none.mqo"));
  // Nothing matches: the exact mapping comes back, so the open fails as it should.
  EXPECT_EQ(paths::hostPath(root + "\\nope\\x.mqo"), root + "/nope/x.mqo");
}

TEST(DataFolderNames, NamesStayInsideTheDataFolderOrAreRefused) {
  struct Case {
    const char* folder;
    const char* name;
    bool stays;
  };
  const Case cases[] = {
      {"data\\model\\", "wood.bmp", true},
      {"data\\model\\", "..\\texture\\wood.bmp", true},
      {"data/model/", "sub/./../x.bmp", true},
      {"", "Data\\qel\\..\\model\\b.mqo", true},
      {"/opt/show/data/model/", "..\\shader\\a.fx", true},
      // Outside any folder called data the top of the file's folder is the limit.
      {"/tmp/test/", "..\\..\\texture\\a.bmp", true},
      {"models\\", "..\\a.bmp", true},
      {"data\\model\\", "..\\..\\data\\texture\\x.bmp", false},
      {"data\\model\\", "C:\\textures\\wood.bmp", false},
      {"data\\model\\", "\\textures\\wood.bmp", false},
      {"data\\model\\", "/etc/passwd", false},
      {"", "data\\..\\x.qel", false},
      {"", "..\\data\\x.qel", false},
      {"/opt/show/data/", "..\\x", false},
      {"/tmp/test/", "..\\..\\..\\a.bmp", false},
      {"models\\", "sub\\..\\..\\..\\a.bmp", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(paths::staysInDataFolder(c.folder, c.name), c.stays) << c.folder << " + " << c.name;
  }
}
