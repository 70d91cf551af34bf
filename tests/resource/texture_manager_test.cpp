// Texture-manager rules that need no GL: the RGBE conversion, lookups of textures
// never uploaded, names not handed out, the effect-texture definition lines, and
// the blackboards' starting values.
#include "resource/texture_manager.h"

#include <gtest/gtest.h>

#include "framework/critical_check.h"
#include "render/camera_manager.h"
#include "render/light_manager.h"
#include "render/message_manager.h"
#include "render/vertex_buffer_manager.h"
#include "resource/custom_texture_manager.h"
#include "resource/res_texture.h"
#include "support/fatal_text.h"
#include "support/temp_dir.h"

TEST(RgbeConversion, ScalesByThePowerOfTwoAndLimitsTo255) {
  u8 pixels[] = {128, 64, 32, 129, 128, 64, 32, 127, 3, 1, 0, 128, 200, 200, 200, 0, 1, 3, 5, 127};
  convertRgbeToRgba(pixels, 5);
  const u8 expected[] = {255, 128, 64, 255, 64, 32, 16, 255, 3, 1, 0, 255, 0, 0, 0, 255, 1, 2, 3, 255};
  for (int i = 0; i < 20; ++i) EXPECT_EQ(pixels[i], expected[i]) << "byte " << i;
}

TEST(TextureManagerDeath, UnknownTexturesAndNamesAreFatal) {
  resTexture neverUploaded;
  EXPECT_EXIT(textureManager::mpThis->getTextureId(&neverUploaded), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[0 + \"texture id not found.\"]"));
  EXPECT_EXIT(textureManager::mpThis->registerTexture(987654u, &neverUploaded),
              testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[isFound + \"texture id must be provided from textureManager.\"]"));
  EXPECT_EXIT(textureManager::mpThis->uploadTexture(987654u, nullptr), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[pTexture + \"pTexture can't be null\"]"));
  EXPECT_EXIT(textureManager::mpThis->uploadTexture(987654u, &neverUploaded),
              testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[isFound + \"texture id must be provided from textureManager.\"]"));
}

TEST(CustomTextureDefinition, SkipsShortCommentedAndEmptyLines) {
  std::string file;
  std::string parameter;
  EXPECT_FALSE(parseCustomTextureLine("data\\texture\\noise.bmp\n", file, parameter));
  EXPECT_FALSE(parseCustomTextureLine("\n", file, parameter));
  EXPECT_FALSE(parseCustomTextureLine("", file, parameter));
  EXPECT_FALSE(parseCustomTextureLine("#data\\texture\\noise.bmp noiseTex\n", file, parameter));
  EXPECT_FALSE(parseCustomTextureLine("data\\texture\\noise.bmp\t#noiseTex\n", file, parameter));
  EXPECT_FALSE(parseCustomTextureLine("data\\texture\\noise.bmp \t \n", file, parameter));
}

TEST(CustomTextureDefinition, AcceptsTwoOrMoreFieldsAndTrimsOneLineBreak) {
  std::string file;
  std::string parameter;
  ASSERT_TRUE(parseCustomTextureLine(" \tdata\\texture\\noise.bmp \t noiseTex\n", file, parameter));
  EXPECT_EQ(file, "data\\texture\\noise.bmp");
  EXPECT_EQ(parameter, "noiseTex");
  ASSERT_TRUE(parseCustomTextureLine("a.tga\tsecond third # more\n", file, parameter));
  EXPECT_EQ(file, "a.tga");
  EXPECT_EQ(parameter, "second");
  ASSERT_TRUE(parseCustomTextureLine("a.tga lastLine", file, parameter));
  EXPECT_EQ(parameter, "lastLine");
  // Only one trailing character goes: a carriage return before the line feed stays.
  ASSERT_TRUE(parseCustomTextureLine("a.tga name\r\n", file, parameter));
  EXPECT_EQ(parameter, "name\r");
}

TEST(CustomTextureManagerDeath, MissingTextureIsFatal) {
  TempDir dir;
  const std::string definitions = dir.write("shaderTextureDefine.txt", "data\\texture\\missing.bmp tex\n");
  EXPECT_EXIT(customTextureManager::mpThis->loadDefinitions(definitions.c_str()),
              testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[pTexture + \"failed to load custom texture\"]"));
  EXPECT_FALSE(customTextureManager::mpThis->loadDefinitions((dir.path() / "absent.txt").string().c_str()));
}

TEST(RenderManagers, BlackboardsStartAtTheOriginAndSingletonsAreRegistered) {
  ASSERT_NE(cameraManager::mpThis, nullptr);
  ASSERT_NE(lightManager::mpThis, nullptr);
  ASSERT_NE(messageManager::mpThis, nullptr);
  ASSERT_NE(vertexBufferManager::mpThis, nullptr);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(cameraManager::mpThis->mEyePos[i], 0.0f);
    EXPECT_EQ(lightManager::mpThis->mLightPos[i], 0.0f);
  }
  const messageManager::FontDescription font;
  EXPECT_EQ(font.height, 17);
  EXPECT_EQ(font.weight, 400);
  EXPECT_EQ(font.charSet, 128);
  EXPECT_EQ(font.pitchAndFamily, 1);
  EXPECT_EQ(messageManager::mpThis->mTextColor, 0u);
  EXPECT_TRUE(cameraManager::DTI.isKindOf("VellObject"));
  EXPECT_NE(VellDTI::search("vertexBufferObject"), nullptr);
}

TEST(RenderManagersDeath, ASecondManagerIsFatal) {
  EXPECT_EXIT(cameraManager::DTI.create(), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[!mpThis + \"\"]"));
  EXPECT_EXIT(textureManager::DTI.create(), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[!mpThis + \"\"]"));
}
