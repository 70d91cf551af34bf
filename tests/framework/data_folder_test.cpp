// Where the program looks for the show: the order of the places, one place per
// folder, the first that really holds a data folder, and the message without one.
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
