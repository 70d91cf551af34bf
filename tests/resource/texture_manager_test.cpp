// Texture-manager rules that need no GL: the RGBE conversion and the effect-texture
// definition lines.
#include "resource/texture_manager.h"

#include <gtest/gtest.h>

#include "framework/critical_check.h"
#include "resource/custom_texture_manager.h"
#include "support/fatal_text.h"
#include "support/temp_dir.h"

TEST(RgbeConversion, ScalesByThePowerOfTwoAndLimitsTo255) {
  u8 pixels[] = {128, 64, 32, 129, 128, 64, 32, 127, 3, 1, 0, 128, 200, 200, 200, 0, 1, 3, 5, 127};
  convertRgbeToRgba(pixels, 5);
  const u8 expected[] = {255, 128, 64, 255, 64, 32, 16, 255, 3, 1, 0, 255, 0, 0, 0, 255, 1, 2, 3, 255};
  for (int i = 0; i < 20; ++i) EXPECT_EQ(pixels[i], expected[i]) << "byte " << i;
}

TEST(CustomTextureDefinition, TakesTheFirstTwoFieldsOfALineAndSkipsTheRest) {
  struct Case {
    const char* line;
    bool taken;
    const char* file;
    const char* parameter;
  };
  const Case cases[] = {
      {"data\\texture\\noise.bmp\n", false, "", ""},
      {"", false, "", ""},
      {"#data\\texture\\noise.bmp noiseTex\n", false, "", ""},
      {"data\\texture\\noise.bmp\t#noiseTex\n", false, "", ""},
      {" \tdata\\texture\\noise.bmp \t noiseTex\n", true, "data\\texture\\noise.bmp", "noiseTex"},
      {"a.tga\tsecond third # more\n", true, "a.tga", "second"},
      {"a.tga lastLine", true, "a.tga", "lastLine"},
      // Only one trailing character goes: a carriage return before the line feed stays.
      {"a.tga name\r\n", true, "a.tga", "name\r"},
  };
  for (const Case& c : cases) {
    std::string file;
    std::string parameter;
    ASSERT_EQ(parseCustomTextureLine(c.line, file, parameter), c.taken) << testing::PrintToString(c.line);
    if (!c.taken) continue;
    EXPECT_EQ(file, c.file);
    EXPECT_EQ(parameter, c.parameter);
  }
}

TEST(CustomTextureManagerDeath, ATextureTheTableNamesThatCannotLoadIsFatal) {
  TempDir dir;
  const std::string definitions = dir.write("shaderTextureDefine.txt", "data\\texture\\missing.bmp tex\n");
  EXPECT_EXIT(customTextureManager::mpThis->loadDefinitions(definitions.c_str()),
              testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[pTexture + \"failed to load custom texture\"]"));
  EXPECT_FALSE(customTextureManager::mpThis->loadDefinitions((dir.path() / "absent.txt").string().c_str()));
}
