// The letterbox aspect: the dialog's choice in full screen, the window's own ratio
// in a window when it is exactly one of the listed four.
#include "app/display_aspect.h"

#include <gtest/gtest.h>

namespace {
SetupSettings windowed(int width, int height) {
  SetupSettings settings;
  settings.fullscreen = 0;
  settings.width = width;
  settings.height = height;
  settings.aspectX = 16;
  settings.aspectY = 10;
  return settings;
}
}  // namespace

TEST(DisplayAspect, WindowUsesItsOwnListedRatio) {
  DisplayAspect aspect = decideDisplayAspect(windowed(1280, 1024));
  EXPECT_EQ(aspect.x, 5);
  EXPECT_EQ(aspect.y, 4);
  aspect = decideDisplayAspect(windowed(1024, 768));
  EXPECT_EQ(aspect.x, 4);
  EXPECT_EQ(aspect.y, 3);
  aspect = decideDisplayAspect(windowed(1280, 720));
  EXPECT_EQ(aspect.x, 16);
  EXPECT_EQ(aspect.y, 9);
  aspect = decideDisplayAspect(windowed(1680, 1050));
  EXPECT_EQ(aspect.x, 16);
  EXPECT_EQ(aspect.y, 10);
}

TEST(DisplayAspect, UnlistedWindowKeepsTheSettings) {
  const DisplayAspect aspect = decideDisplayAspect(windowed(1024, 600));
  EXPECT_EQ(aspect.x, 16);
  EXPECT_EQ(aspect.y, 10);
}

TEST(DisplayAspect, FullScreenAlwaysUsesTheSettings) {
  SetupSettings settings = windowed(1280, 1024);
  settings.fullscreen = 1;
  const DisplayAspect aspect = decideDisplayAspect(settings);
  EXPECT_EQ(aspect.x, 16);
  EXPECT_EQ(aspect.y, 10);
}
