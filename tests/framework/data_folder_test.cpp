// Where the program looks for the show: the order of the places, one place per
// folder, the first that really holds a data folder, and the message without one;
// a show a maker names, and which shows are the program's own.
#include "framework/data_folder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

using Folders = std::vector<fs::path>;

TEST(DataFolder, LooksNextToTheProgramThenInThePrefixThenInTheWorkingFolder) {
  EXPECT_EQ(dataFolderCandidates("/opt/orvane/bin", "/usr/local/share/orvane", "/home/viewer"),
            (Folders{"/opt/orvane/bin", "/opt/orvane/share/orvane", "/usr/local/share/orvane", "/home/viewer"}))
      << "a prefix moved after the build is found from the program";
  EXPECT_EQ(dataFolderCandidates("/usr/bin", "/usr/share/orvane", "/usr/share/orvane/"),
            (Folders{"/usr/bin", "/usr/share/orvane"}))
      << "the prefix it was built for is looked at once, whatever the spelling";
  EXPECT_EQ(dataFolderCandidates("", "", "/home/viewer"), (Folders{"/home/viewer"}))
      << "a program folder the system cannot tell adds nothing";
}

TEST(DataFolder, TheFirstFolderHoldingADataFolderWins) {
  TempDir dir;
  fs::create_directories(dir.path() / "empty");
  dir.write("file/data", "a file, not a folder");
  fs::create_directories(dir.path() / "first/data");
  fs::create_directories(dir.path() / "second/data/definition");
  const Folders candidates{dir.path() / "missing", dir.path() / "empty", dir.path() / "file", dir.path() / "first",
                           dir.path() / "second"};
  EXPECT_EQ(findDataFolder(candidates), dir.path() / "first");
  EXPECT_EQ(findDataFolder({dir.path() / "second", dir.path() / "first"}), dir.path() / "second");
  EXPECT_FALSE(findDataFolder({dir.path() / "empty", dir.path() / "file"}).has_value());
}

TEST(DataFolder, EntersTheFolderOrSaysWhereItLooked) {
  TempDir dir;
  fs::create_directories(dir.path() / "show/data");
  const fs::path previous = fs::current_path();
  std::string error;
  ASSERT_TRUE(enterDataFolder({dir.path() / "none", dir.path() / "show"}, error)) << error;
  EXPECT_EQ(fs::current_path(), fs::canonical(dir.path() / "show"));
  fs::current_path(previous);

  EXPECT_FALSE(enterDataFolder({"/no/program", "/no/share/orvane", dir.path()}, error));
  EXPECT_EQ(error, "no show data: looked for a data folder in /no/program, /no/share/orvane and " +
                       dir.path().string());
  EXPECT_EQ(fs::current_path(), previous);
}

TEST(DataFolder, TheOptionWinsOverTheEnvironmentAndANamedFolderMustHoldData) {
  EXPECT_EQ(chosenShowFolder(std::string("/shows/mine/"), "/shows/other"), fs::path("/shows/mine"));
  EXPECT_EQ(chosenShowFolder(std::nullopt, "/shows/other"), fs::path("/shows/other"));
  EXPECT_FALSE(chosenShowFolder(std::nullopt, "").has_value()) << "an empty variable names nothing";
  EXPECT_FALSE(chosenShowFolder(std::nullopt, nullptr).has_value());
  EXPECT_EQ(chosenShowFolder(std::string("mine"), nullptr), fs::current_path() / "mine")
      << "a relative name is seen from where the program started";

  TempDir dir;
  fs::create_directories(dir.path() / "show/data");
  fs::create_directories(dir.path() / "bare");
  EXPECT_EQ(showFolderProblem(dir.path() / "show"), "");
  EXPECT_EQ(showFolderProblem(dir.path() / "bare"),
            (dir.path() / "bare").string() + " holds no data folder: a show folder is the one that holds data/");
  EXPECT_EQ(showFolderProblem(dir.path() / "none"), (dir.path() / "none").string() + " is no folder: a show folder holds data/");
}

TEST(DataFolder, OnlyTheShowBesideTheProgramOrInItsPrefixIsItsOwn) {
  TempDir dir;
  for (const char* folder : {"prefix/bin", "prefix/share/orvane/data", "built/share/orvane", "mine/data"})
    fs::create_directories(dir.path() / folder);
  fs::create_directory_symlink(dir.path() / "mine", dir.path() / "link");
  const fs::path program = dir.path() / "prefix/bin";
  const fs::path built = dir.path() / "built/share/orvane";
  EXPECT_TRUE(isShippedShow(program, program, built));
  EXPECT_TRUE(isShippedShow(dir.path() / "prefix/share/orvane", program, built));
  EXPECT_TRUE(isShippedShow(built, program, built));
  EXPECT_FALSE(isShippedShow(dir.path() / "mine", program, built));
  EXPECT_TRUE(isShippedShow(dir.path() / "link", dir.path() / "mine", "")) << "a link is the folder it leads to";
  EXPECT_FALSE(isShippedShow(dir.path() / "mine", "", "")) << "a program folder the system cannot tell owns nothing";
}
