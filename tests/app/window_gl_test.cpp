// The window and its context on a real GL: multisample requests, the
// full-screen switch and the gamma ramp.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <cstring>

#include "app/window.h"
#include "platform/display_restore.h"
#include "platform/gl_window.h"
#include "platform/video.h"
#include "support/gl_test_context.h"

TEST(WindowGL, MultisampleRequestIsAMinimumOrRefused) {
  CWindowGL window;
  ASSERT_TRUE(window.create("samples", CWindow::STYLE_POPUP, 0, 0, 32, 32));
  EXPECT_FALSE(window.createGLContext(64));
  ASSERT_TRUE(window.createGLContext(4));
  ASSERT_TRUE(window.makeCurrent());
  GLint samples = 0;
  glGetIntegerv(GL_SAMPLES, &samples);
  EXPECT_GE(samples, 4);
  EXPECT_EQ(window.native().grantedSamples(), samples);
}

TEST(WindowGL, FullScreenGammaClampsAndNeverTouchesTheDisplaysRampAndAWindowRefusesIt) {
  ASSERT_TRUE(platform::initVideo()) << platform::error();
  const platform::DesktopMode desktop = platform::desktopMode();
  GlTestContext context(desktop.width, desktop.height);  // a size the display has a mode of
  ASSERT_TRUE(context.ok()) << context.error();
  CWindowGL& window = context.window();
  GammaRamp before{};
  const bool readable = window.native().getGammaRamp(before.red, before.green, before.blue);
  EXPECT_FALSE(window.setGamma(1.5f)) << "a window leaves the desktop's ramp alone";
  EXPECT_FLOAT_EQ(window.getGamma(), 1.0f);
  window.saveGammaRamp();
  if (!window.changeToFullscreen()) {
    GTEST_SKIP() << "this display offers no full-screen mode: " << platform::error();
  }
  EXPECT_FALSE(window.changeToFullscreen());
  ASSERT_TRUE(window.setGamma(3.0f));
  EXPECT_FLOAT_EQ(window.getGamma(), 2.0f);
  window.restoreGammaRamp();
  if (readable) {
    GammaRamp after{};
    ASSERT_TRUE(window.native().getGammaRamp(after.red, after.green, after.blue));
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before)) << "the desktop's ramp is as it was";
  }
}

TEST(WindowGL, FullScreenEndsOnAnExitPathThatPutsTheDisplayBack) {
  ASSERT_TRUE(platform::initVideo()) << platform::error();
  const platform::DesktopMode desktop = platform::desktopMode();
  ASSERT_GT(desktop.width, 0);
  // A size the display has no mode of: the Program test's clear message.
  GlTestContext context(desktop.width, desktop.height);
  ASSERT_TRUE(context.ok()) << context.error();
  platform::restoreDisplayForExit();  // nothing switched yet: nothing to do
  ASSERT_TRUE(context.window().changeToFullscreen()) << platform::error();
  EXPECT_TRUE(context.window().native().coversDisplay());
  platform::restoreDisplayForExit();
  EXPECT_FALSE(context.window().native().coversDisplay());
  const platform::DesktopMode after = platform::desktopMode();
  EXPECT_EQ(std::make_pair(after.width, after.height), std::make_pair(desktop.width, desktop.height));
  platform::restoreDisplayForExit();  // a second call is harmless
}
