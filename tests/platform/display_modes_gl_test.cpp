// What the display layer reports of whatever display the tests run on: the
// desktop's own size is one of its modes, and the dialog's table lists it.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/setup_dialog_logic.h"
#include "platform/display_modes.h"

TEST(DisplayModes, TheDesktopsSizeIsAModeOfItsOwnColourDepth) {
  int width = 0;
  int height = 0;
  ASSERT_TRUE(platform::desktopResolution(width, height));
  ASSERT_GT(width, 0);
  ASSERT_GT(height, 0);
  const auto modes = platform::enumerateDisplayModes();
  ASSERT_FALSE(modes.empty());
  std::vector<ReportedDisplayMode> reported;
  for (const auto& mode : modes) {
    reported.push_back({mode.width, mode.height, mode.bitsPerPixel, mode.bytesPerPixel});
  }
  const auto desktop = std::find_if(modes.begin(), modes.end(), [&](const platform::DisplayModeInfo& mode) {
    return mode.width == width && mode.height == height;
  });
  ASSERT_NE(desktop, modes.end()) << "the desktop's size can be switched to";
  EXPECT_GE(platform::exactModeIndex(modes, width, height, desktop->bitsPerPixel), 0);
  const auto table = buildModeTable(reported, colourDepth(desktop->bitsPerPixel, desktop->bytesPerPixel));
  EXPECT_NE(std::find(table.begin(), table.end(), DisplayModeSize{width, height}), table.end());
}
