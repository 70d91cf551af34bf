// The running-order line an import plays on: each line plays the scene of its
// last row only, so an import goes where it hides nothing, keeps its line when
// imported again, and says which row a line it takes over no longer shows.
#include <gtest/gtest.h>

#include <string>

#include "import/show_folder.h"

using orvane::import::chooseLine;

TEST(ImportLine, AnImportTakesAFreeLineKeepsItsOwnAndSaysWhatItHides) {
  const std::string header = "# qel file\tline\tstart ms\tend ms\treserved\treserved\tline effect\n";
  const std::string mine = "data\\qel\\robot.qel";
  std::string notice;

  EXPECT_EQ(chooseLine(header, mine, -1, notice), 0) << "an empty show";
  EXPECT_EQ(notice, "");

  const std::string template0 = header + "data\\qel\\show.qel\t0\t0\t0\t0\t0\tdefault\n";
  EXPECT_EQ(chooseLine(template0, mine, -1, notice), 1) << "the new show's scenes keep line 0";
  EXPECT_EQ(notice, "");

  const std::string again = template0 + mine + "\t0\t8000\t0\t0\t0\tdefault\n";
  EXPECT_EQ(chooseLine(again, mine, -1, notice), 0) << "imported again, it stays where it was";
  EXPECT_NE(notice.find("data\\qel\\show.qel, which no longer shows"), std::string::npos) << notice;

  notice.clear();
  const std::string both = template0 + "data\\qel\\other.qel\t1\t0\t0\t0\t0\tdefault\n";
  EXPECT_EQ(chooseLine(both, mine, -1, notice), 0);
  EXPECT_EQ(notice, "line 0 played data\\qel\\show.qel, which no longer shows: a line plays the scene of its last row only");

  notice.clear();
  EXPECT_EQ(chooseLine(both, mine, 1, notice), 1) << "a line asked for is kept";
  EXPECT_NE(notice.find("other.qel"), std::string::npos) << notice;
}
