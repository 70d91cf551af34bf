// Definition-table rows as other editors write them: CR LF line ends after
// trailing blanks, and comment lines longer than any read buffer.
#include "framework/definition_rows.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

std::vector<DefinitionRow> rowsOf(const std::string& text, std::size_t columns) {
  std::FILE* file = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  std::vector<DefinitionRow> rows = readDefinitionRows(file, columns);
  std::fclose(file);
  return rows;
}

}  // namespace

TEST(DefinitionRows, CrLfRowsWithTrailingBlanksReadLikeLfRows) {
  const std::vector<DefinitionRow> lf = rowsOf("a.qel 0 0 0 0 0 glow \nb.qel 1 0 0 0 0 \n", 7);
  ASSERT_EQ(lf.size(), 1u);
  EXPECT_EQ(lf[0].columns[6], "glow");
  for (const char* ending : {" \r\n", "\t\r\n", " \t \r\n", "\r\n"}) {
    const std::string text = std::string("a.qel 0 0 0 0 0 glow") + ending + "b.qel 1 0 0 0 0" + ending;
    const std::vector<DefinitionRow> rows = rowsOf(text, 7);
    ASSERT_EQ(rows.size(), 1u) << "ending " << testing::PrintToString(ending);
    EXPECT_EQ(rows[0].columns, lf[0].columns);
    EXPECT_EQ(rows[0].lineNumber, 1u);
  }
}

TEST(DefinitionRows, ALongCommentStaysOneComment) {
  // A comment whose text past the first 1023 characters looks like a row.
  std::string comment = "# " + std::string(1500, '-');
  for (int i = 0; i < 5; ++i) comment += " x.qel 0 0 0 0 0 default " + std::string(900, 'y');
  const std::string text = comment + "\r\nreal.qel 0 0 0 0 0 default\r\n";
  const std::vector<DefinitionRow> rows = rowsOf(text, 7);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].columns[0], "real.qel");
  EXPECT_EQ(rows[0].columns[6], "default");
  EXPECT_EQ(rows[0].lineNumber, 2u);
  // A row with a '#' column later in the line is discarded whole as well.
  const std::string late = "a.qel 0 #0 0 0 0 default " + std::string(1100, 'z') + " b.qel 0 0 0 0 0 default\n";
  EXPECT_TRUE(rowsOf(late, 7).empty());
}

