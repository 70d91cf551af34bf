// The author-mode panel's size: it keeps its share of the window, whatever the
// window, and stays legible in a small one.
#include "app/dev_overlay.h"

#include <gtest/gtest.h>

TEST(DevOverlay, ThePanelScalesWithTheWindowsSmallerSideWithinLegibleBounds) {
  EXPECT_FLOAT_EQ(devoverlay::panelScale(1280, 720), 1.0f);
  EXPECT_FLOAT_EQ(devoverlay::panelScale(1920, 1080), 1.5f);
  EXPECT_FLOAT_EQ(devoverlay::panelScale(3840, 2160), 3.0f);
  EXPECT_FLOAT_EQ(devoverlay::panelScale(3840, 1080), 1.5f) << "a wide window: its height decides";
  EXPECT_FLOAT_EQ(devoverlay::panelScale(1280, 2000), 1.0f) << "a tall window: its width decides";
  EXPECT_FLOAT_EQ(devoverlay::panelScale(320, 180), 0.5f) << "no smaller than legible";
  EXPECT_FLOAT_EQ(devoverlay::panelScale(15360, 8640), 4.0f);
  EXPECT_FLOAT_EQ(devoverlay::panelScale(0, 0), 0.5f) << "a window of no size";
}
