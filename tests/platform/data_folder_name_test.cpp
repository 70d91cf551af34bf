// Names read from data files, checked against the data folder before they are
// mapped to host paths.
#include <gtest/gtest.h>

#include "framework/shell_path.h"

TEST(DataFolderNames, RelativeNamesInsideTheDataFolderAreAccepted) {
  EXPECT_TRUE(paths::staysInDataFolder("data\\model\\", "wood.bmp"));
  EXPECT_TRUE(paths::staysInDataFolder("data\\model\\", "..\\texture\\wood.bmp"));
  EXPECT_TRUE(paths::staysInDataFolder("data/model/", "sub/./../x.bmp"));
  EXPECT_TRUE(paths::staysInDataFolder("", "data\\qel\\a.qel"));
  EXPECT_TRUE(paths::staysInDataFolder("", "Data\\qel\\..\\model\\b.mqo"));
  EXPECT_TRUE(paths::staysInDataFolder("/opt/show/data/model/", "..\\shader\\a.fx"));
  // Outside any folder called data the top of the file's folder is the limit.
  EXPECT_TRUE(paths::staysInDataFolder("/tmp/test/", "a.bmp"));
  EXPECT_TRUE(paths::staysInDataFolder("/tmp/test/", "..\\..\\texture\\a.bmp"));
  EXPECT_TRUE(paths::staysInDataFolder("models\\", "..\\a.bmp"));
  EXPECT_TRUE(paths::staysInDataFolder("", "a.qel"));
}

TEST(DataFolderNames, NamesClimbingOutOrRootedAreRefused) {
  EXPECT_FALSE(paths::staysInDataFolder("data\\model\\", "..\\..\\x.bmp"));
  EXPECT_FALSE(paths::staysInDataFolder("data\\model\\", "..\\..\\data\\texture\\x.bmp"));
  EXPECT_FALSE(paths::staysInDataFolder("data\\model\\", "C:\\textures\\wood.bmp"));
  EXPECT_FALSE(paths::staysInDataFolder("data\\model\\", "\\textures\\wood.bmp"));
  EXPECT_FALSE(paths::staysInDataFolder("data\\model\\", "/etc/passwd"));
  EXPECT_FALSE(paths::staysInDataFolder("", "data\\..\\x.qel"));
  EXPECT_FALSE(paths::staysInDataFolder("", "..\\data\\x.qel"));
  EXPECT_FALSE(paths::staysInDataFolder("/opt/show/data/", "..\\x"));
  EXPECT_FALSE(paths::staysInDataFolder("/tmp/test/", "..\\..\\..\\a.bmp"));
  EXPECT_FALSE(paths::staysInDataFolder("models\\", "sub\\..\\..\\..\\a.bmp"));
}
