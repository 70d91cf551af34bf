// The effect-texture table's rows: whole lines however long, and why a line
// meant as a row is not one.
#include "resource/custom_texture_manager.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(CustomTextureRows, ALongCommentIsOneLineAndAShortRowSaysWhyItIsSkipped) {
  // The second 1023 characters of this comment once read as a row naming a texture.
  std::string comment = "# ";
  while (comment.size() < 5000) comment += "data\\texture\\x.bmp noiseTex ";
  const std::string text = comment + "\r\ndata\\texture\\ramp.bmp rampTex\r\ndata\\texture\\lonely.bmp\n#\n";
  std::FILE* file = std::tmpfile();
  std::fputs(text.c_str(), file);
  std::rewind(file);
  std::vector<DefinitionSkip> skipped;
  const std::vector<CustomTextureRow> rows = readCustomTextureRows(file, &skipped);
  std::fclose(file);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].fileName, "data\\texture\\ramp.bmp");
  EXPECT_EQ(rows[0].parameterName, "rampTex");
  EXPECT_EQ(rows[0].line, 2u);
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].lineNumber, 3u);
  EXPECT_EQ(skipped[0].reason, "has 1 of the 2 columns");
}
