// The timeline bar's geometry: its edges are the show's start and end, positions
// outside it clamp, and a show without length or a tiny window maps to the start.
#include "app/dev_timeline.h"

#include <gtest/gtest.h>

TEST(DevTimeline, EdgesAreTheShowsStartAndEndOutsideClampsAndEmptyShowsMapToTheStart) {
  const devtimeline::Bar bar = devtimeline::layout(1000, 600);
  EXPECT_EQ(bar.left, devtimeline::MARGIN);
  EXPECT_EQ(bar.width, 1000 - 2 * devtimeline::MARGIN);
  EXPECT_EQ(bar.top + bar.height, 600 - devtimeline::MARGIN);
  const std::pair<int, u32> times[] = {{bar.left, 0}, {bar.left + bar.width - 1, 192000}, {-50, 0}, {5000, 192000}};
  for (const auto& [x, time] : times) EXPECT_EQ(devtimeline::timeAt(bar, x, 192000), time) << x;
  EXPECT_NEAR(devtimeline::timeAt(bar, bar.left + (bar.width - 1) / 2, 192000), 96000.0, 200.0);
  EXPECT_FLOAT_EQ(devtimeline::fractionAt(48000, 192000), 0.25f);
  EXPECT_FLOAT_EQ(devtimeline::fractionAt(500000, 192000), 1.0f);

  EXPECT_FLOAT_EQ(devtimeline::fractionAt(100, 0), 0.0f);
  const devtimeline::Bar tiny = devtimeline::layout(10, 10);
  EXPECT_EQ(tiny.width, 0);
  EXPECT_FALSE(tiny.contains(5, 5));
  EXPECT_EQ(devtimeline::timeAt(tiny, 5, 1000), 0u);
}
