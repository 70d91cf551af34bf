// The letterbox aspect: the dialog's choice in full screen, the window's own ratio
// in a window when it is exactly one of the listed four.
#include "app/display_aspect.h"

#include <gtest/gtest.h>

TEST(DisplayAspect, AWindowOfAListedRatioUsesItAnythingElseTheSettings) {
  struct Case {
    int fullscreen, width, height;
    s32 x, y;
  };
  const Case cases[] = {{0, 1280, 1024, 5, 4},  {0, 1024, 768, 4, 3}, {0, 1280, 720, 16, 9},
                        {0, 1680, 1050, 16, 10}, {0, 1024, 600, 16, 10}, {1, 1280, 1024, 16, 10}};
  for (const Case& c : cases) {
    SetupSettings settings;
    settings.fullscreen = static_cast<u8>(c.fullscreen);
    settings.width = c.width;
    settings.height = c.height;
    settings.aspectX = 16;
    settings.aspectY = 10;
    const DisplayAspect aspect = decideDisplayAspect(settings);
    EXPECT_EQ(aspect.x, c.x) << c.width << "x" << c.height << " full screen " << c.fullscreen;
    EXPECT_EQ(aspect.y, c.y) << c.width << "x" << c.height << " full screen " << c.fullscreen;
  }
}
