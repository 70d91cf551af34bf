// Off-screen screens on a real GL: storage formats, low quality, power-of-two
// fallback, one-time allocation and the attachments.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <tuple>

#include "framework/critical_check.h"
#include "screen/power_of_two.h"
#include "screen/scene_screen.h"
#include "support/gl_test_context.h"

namespace {

// Width, height, internal format, red bits and depth bits of a texture's level 0.
std::array<GLint, 5> describe(u32 name) {
  std::array<GLint, 5> info{};
  glBindTexture(GL_TEXTURE_2D, name);
  const GLenum queries[] = {GL_TEXTURE_WIDTH, GL_TEXTURE_HEIGHT, GL_TEXTURE_INTERNAL_FORMAT, GL_TEXTURE_RED_SIZE,
                            GL_TEXTURE_DEPTH_SIZE};
  for (std::size_t i = 0; i < info.size(); ++i) glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, queries[i], &info[i]);
  glBindTexture(GL_TEXTURE_2D, 0);
  return info;
}

GLint attachedDepth(const CSceneScreen& screen) {
  GLint attached = 0;
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, screen.getFrameBuffer());
  glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                           GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &attached);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  return attached;
}

class SceneScreenGL : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mContext.ok()) << mContext.error(); }
  void TearDown() override { overrideNonPowerOfTwoTextures(std::nullopt); }
  GlTestContext mContext;
};

}  // namespace

TEST_F(SceneScreenGL, StorageIsHalfFloatWithDepth24OrEightBitInLowQualityAllocatedOnce) {
  CSceneScreen screen;
  screen.createScreen(80, 60, true);
  const std::array<GLint, 5> colour = describe(screen.getColorTexture());
  EXPECT_EQ(std::make_tuple(colour[0], colour[1], colour[2], colour[3]), std::make_tuple(80, 60, GL_RGBA16F_ARB, 16));
  EXPECT_GE(describe(screen.getDepthTexture())[4], 24);
  EXPECT_NE(screen.getFrameBuffer(), 0u);

  const ScreenFormat lowQuality{true};
  CTexture low;
  ASSERT_TRUE(low.createEmpty(16, 16, GL_RGBA16F_ARB, GL_RGBA, lowQuality));
  EXPECT_EQ(low.getInternalFormat(), static_cast<u32>(GL_RGBA8));
  EXPECT_EQ(describe(low.getName())[3], 8);
  CTexture lowDepth;
  ASSERT_TRUE(lowDepth.createEmpty(16, 16, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, lowQuality));
  EXPECT_EQ(lowDepth.getInternalFormat(), static_cast<u32>(GL_DEPTH_COMPONENT));

  CTexture texture;
  ASSERT_TRUE(texture.createEmpty(32, 16, GL_RGBA16F_ARB, GL_RGBA));
  const u32 name = texture.getName();
  EXPECT_FALSE(texture.createEmpty(64, 64, GL_RGBA16F_ARB, GL_RGBA));
  EXPECT_EQ(texture.getName(), name);
  EXPECT_EQ(describe(name)[0], 32) << "a second createEmpty keeps the first storage";
}

TEST_F(SceneScreenGL, WithoutNonPowerOfTwoTexturesStorageIsRounded) {
  overrideNonPowerOfTwoTextures(false);
  CTexture texture;
  ASSERT_TRUE(texture.createEmpty(800, 600, GL_RGBA16F_ARB, GL_RGBA));
  EXPECT_EQ(describe(texture.getName())[0], 1024);
  EXPECT_EQ(describe(texture.getName())[1], 1024);
}

// Screens without depth (the work and composite screens): the post-effect stage test.
TEST_F(SceneScreenGL, AttachDepthSwapsTheDepthAttachment) {
  CSceneScreen first;
  CSceneScreen second;
  first.createScreen(8, 8, true);
  second.createScreen(8, 8, true);
  first.attachDepth(second.getDepthTexture());
  EXPECT_EQ(static_cast<u32>(attachedDepth(first)), second.getDepthTexture());
  first.restoreDepth();
  EXPECT_EQ(static_cast<u32>(attachedDepth(first)), first.getDepthTexture());
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
