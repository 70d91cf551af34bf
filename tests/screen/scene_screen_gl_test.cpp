// Off-screen screens on a real GL: storage formats, low quality, power-of-two
// fallback, one-time allocation and the attachments.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include "framework/critical_check.h"
#include "screen/power_of_two.h"
#include "screen/scene_screen.h"
#include "support/gl_test_context.h"

namespace {

struct TextureInfo {
  GLint width = 0;
  GLint height = 0;
  GLint internalFormat = 0;
  GLint redBits = 0;
  GLint depthBits = 0;
};

TextureInfo describe(u32 name) {
  TextureInfo info;
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &info.width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &info.height);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &info.internalFormat);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &info.redBits);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_DEPTH_SIZE, &info.depthBits);
  glBindTexture(GL_TEXTURE_2D, 0);
  return info;
}

class SceneScreenGL : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mContext.ok()) << mContext.error(); }
  void TearDown() override {
    overrideNonPowerOfTwoTextures(std::nullopt);
  }
  GlTestContext mContext;
};

}  // namespace

TEST_F(SceneScreenGL, NormalQualityUsesHalfFloatColourAndDepth24) {
  CSceneScreen screen;
  screen.createScreen(80, 60, true);
  const TextureInfo colour = describe(screen.getColorTexture());
  EXPECT_EQ(colour.width, 80);
  EXPECT_EQ(colour.height, 60);
  EXPECT_EQ(colour.internalFormat, GL_RGBA16F_ARB);
  EXPECT_EQ(colour.redBits, 16);
  const TextureInfo depth = describe(screen.getDepthTexture());
  EXPECT_GE(depth.depthBits, 24);
  EXPECT_NE(screen.getFrameBuffer(), 0u);
}

TEST_F(SceneScreenGL, LowQualityUsesEightBitColourAndUnsizedDepth) {
  const ScreenFormat lowQuality{true};
  CTexture colour;
  ASSERT_TRUE(colour.createEmpty(16, 16, GL_RGBA16F_ARB, GL_RGBA, lowQuality));
  EXPECT_EQ(colour.getInternalFormat(), static_cast<u32>(GL_RGBA8));
  EXPECT_EQ(describe(colour.getName()).redBits, 8);
  CTexture depth;
  ASSERT_TRUE(depth.createEmpty(16, 16, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, lowQuality));
  EXPECT_EQ(depth.getInternalFormat(), static_cast<u32>(GL_DEPTH_COMPONENT));
}

TEST_F(SceneScreenGL, WithoutNonPowerOfTwoTexturesStorageIsRounded) {
  overrideNonPowerOfTwoTextures(false);
  CTexture texture;
  ASSERT_TRUE(texture.createEmpty(800, 600, GL_RGBA16F_ARB, GL_RGBA));
  const TextureInfo info = describe(texture.getName());
  EXPECT_EQ(info.width, 1024);
  EXPECT_EQ(info.height, 1024);
}

TEST_F(SceneScreenGL, SecondCreateEmptyKeepsTheFirstStorage) {
  CTexture texture;
  ASSERT_TRUE(texture.createEmpty(32, 16, GL_RGBA16F_ARB, GL_RGBA));
  const u32 name = texture.getName();
  EXPECT_FALSE(texture.createEmpty(64, 64, GL_RGBA16F_ARB, GL_RGBA));
  EXPECT_EQ(texture.getName(), name);
  EXPECT_EQ(describe(name).width, 32);
}

TEST_F(SceneScreenGL, ScreenWithoutDepthHasNoDepthTextureAndClearsIntoColour) {
  CSceneScreen screen;
  screen.createScreen(8, 8, false);
  EXPECT_EQ(screen.getDepthTexture(), 0u);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, screen.getFrameBuffer());
  glViewport(0, 0, 8, 8);
  glClearColor(0.25f, 0.5f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  float pixel[4] = {};
  glReadPixels(4, 4, 1, 1, GL_RGBA, GL_FLOAT, pixel);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  EXPECT_FLOAT_EQ(pixel[0], 0.25f);
  EXPECT_FLOAT_EQ(pixel[2], 1.0f);
}

TEST_F(SceneScreenGL, AttachDepthSwapsTheDepthAttachment) {
  CSceneScreen first;
  CSceneScreen second;
  first.createScreen(8, 8, true);
  second.createScreen(8, 8, true);
  first.attachDepth(second.getDepthTexture());
  GLint attached = 0;
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, first.getFrameBuffer());
  glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                           GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &attached);
  EXPECT_EQ(static_cast<u32>(attached), second.getDepthTexture());
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  first.restoreDepth();
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, first.getFrameBuffer());
  glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                           GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &attached);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  EXPECT_EQ(static_cast<u32>(attached), first.getDepthTexture());
}

TEST(SceneScreenRefused, ScreenTheDriverRefusesEndsWithAMessageNamingIt) {
  // Forked children cannot draw with llvmpipe: the death test starts afresh.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  GlTestContext context;
  ASSERT_TRUE(context.ok()) << context.error();
  // A screen without pixels has an incomplete colour attachment on every driver.
  EXPECT_EXIT(
      {
        CSceneScreen screen;
        screen.createScreen(0, 0, true);
      },
      testing::ExitedWithCode(vell::kFatalExitStatus), "refuses a 0x0 off-screen buffer with depth");
}
