// The full-screen mode is exactly the chosen size: never the closest one.
#include <gtest/gtest.h>

#include "platform/display_modes.h"

using platform::exactModeIndex;

TEST(ExactMode, TakesOnlyTheChosenSizePreferringTheDesktopsColourBits) {
  const std::vector<platform::DisplayModeInfo> modes = {
      {1920, 1080, 24, 4, 60}, {1024, 768, 16, 2, 75}, {1024, 768, 24, 4, 60}, {800, 600, 24, 4, 60}};
  EXPECT_EQ(exactModeIndex(modes, 1024, 768, 24), 2);
  EXPECT_EQ(exactModeIndex(modes, 1024, 768, 32), 1) << "no mode of the desktop's bits: the first of that size";
  EXPECT_EQ(exactModeIndex(modes, 801, 600, 24), -1) << "a size the display lacks, even with one close";
  EXPECT_EQ(exactModeIndex({}, 800, 600, 24), -1);
}
