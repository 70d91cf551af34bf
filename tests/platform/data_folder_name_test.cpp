// Names read from data files, checked against the data folder before they are
// mapped to host paths.
#include <gtest/gtest.h>

#include "framework/shell_path.h"

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
