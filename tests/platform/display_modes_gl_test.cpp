// What the display layer reports under Xvfb's single 1280 x 720 screen.
#include <gtest/gtest.h>

#include "app/setup_dialog_logic.h"
#include "platform/display_modes.h"

namespace {

TEST(DisplayModes, ReportsTheDesktopAndModesThatCountAsThirtyTwoBit) {
  int width = 0;
  int height = 0;
  ASSERT_TRUE(platform::desktopResolution(width, height));
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(height, 720);

  // A display server that has just started can report its one mode without its
  // depth to the first clients that ask at the same time; asked again, it settles.
  std::vector<DisplayModeSize> table;
  for (int attempt = 0; attempt < 5 && table.empty(); ++attempt) {
    const auto modes = platform::enumerateDisplayModes();
    ASSERT_FALSE(modes.empty());
    std::vector<ReportedDisplayMode> reported;
    for (const auto& mode : modes) {
      reported.push_back({mode.width, mode.height, mode.bitsPerPixel, mode.bytesPerPixel});
    }
    table = buildModeTable(reported, 32);
  }
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(table.back(), (DisplayModeSize{1280, 720}));
}

}  // namespace
