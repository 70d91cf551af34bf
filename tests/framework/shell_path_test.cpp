// Path helpers follow the Windows shell's rules; data paths map onto the host;
// every spelling of a file is one canonical path; names that resolve outside
// the data folder, through ".." or a link, are refused.
#include "framework/shell_path.h"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST(CanonicalPath, EverySpellingOfOneFileIsOneText) {
  TempDir dir;
  dir.write("data/shader/showGlow.fx", "fx");
  dir.write("data/model/m.mqo", "m");
  std::filesystem::create_symlink(dir.path() / "data/shader/showGlow.fx", dir.path() / "data/model/glow.fx");
  const WorkingFolder working(dir.path());
  const std::string one = paths::canonicalPath("data\\shader\\showGlow.fx");
  EXPECT_EQ(one, std::filesystem::canonical(dir.path() / "data/shader/showGlow.fx").string());
  for (const char* spelling : {"data/shader/showGlow.fx", "data\\model\\..\\shader\\showGlow.fx", ".\\data\\SHADER\\showglow.fx",
                               "data//shader/./showGlow.fx", "data\\model\\glow.fx"}) {
    EXPECT_EQ(paths::canonicalPath(spelling), one) << spelling;
  }
  // A file that is not there is resolved as far as its folders go.
  EXPECT_EQ(paths::canonicalPath("data\\model\\..\\shader\\later.fx"),
            std::filesystem::canonical(dir.path() / "data/shader").string() + "/later.fx");
}

TEST(DataFolderNames, NamesResolvingOutsideTheDataFolderAreRefusedLinksIncluded) {
  TempDir dir;
  dir.write("data/model/wood.bmp", "b");
  dir.write("models/a.bmp", "b");
  dir.write("secret.txt", "s");
  // A link out of the data folder, to a folder and to a file; one inside it.
  std::filesystem::create_directory_symlink(dir.path() / "models", dir.path() / "data/model/elsewhere");
  std::filesystem::create_symlink(dir.path() / "secret.txt", dir.path() / "data/model/secret.bmp");
  std::filesystem::create_symlink(dir.path() / "data/model/wood.bmp", dir.path() / "data/model/alias.bmp");
  const WorkingFolder working(dir.path());
  for (const char* inside : {"data\\model\\wood.bmp", "data\\model\\..\\texture\\none.bmp", "Data\\Model\\alias.bmp",
                             "data\\model\\..\\..\\data\\model\\wood.bmp"}) {
    EXPECT_EQ(paths::dataFolderRefusal(inside), "") << inside;
  }
  for (const char* outside : {"models\\..\\a.bmp", "models\\a.bmp", "data\\..\\secret.txt", "data\\model\\secret.bmp",
                              "data\\model\\elsewhere\\a.bmp"}) {
    EXPECT_EQ(paths::dataFolderRefusal(outside), "leaves the data folder") << outside;
  }
  // A name read from a data file is taken from that file's folder, and is never absolute.
  EXPECT_EQ(paths::dataNameRefusal("data\\model\\", "..\\texture\\wood.bmp"), "");
  EXPECT_EQ(paths::dataNameRefusal("data\\model\\", "elsewhere\\a.bmp"), "leaves the data folder");
  for (const char* absolute : {"/etc/passwd", "C:\\textures\\wood.bmp", "\\\\server\\x.bmp"}) {
    EXPECT_NE(paths::dataNameRefusal("data\\model\\", absolute).find("leaves the data folder"), std::string::npos)
        << absolute;
  }
}

TEST(DataFolderNames, WithoutADataFolderRelativeNamesStayBelowTheWorkingFolder) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "loose");
  const WorkingFolder working(dir.path() / "loose");
  EXPECT_EQ(paths::dataFolderRefusal("models\\..\\a.bmp"), "");
  EXPECT_EQ(paths::dataFolderRefusal((dir.path() / "elsewhere.bmp").string()), "") << "a tool's own absolute name";
  EXPECT_EQ(paths::dataFolderRefusal("..\\a.bmp"), "leaves the working folder");
}
