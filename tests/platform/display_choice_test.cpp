// What the window asks of the display, over answers the test plays: the
// multisample count (the smallest a driver offers at or above the request) and
// the full-screen mode (exactly the chosen size, never the closest one).
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/display_modes.h"
#include "platform/gl_window.h"

namespace {

// Grants exactly the counts it offers and refuses the rest; records what it was asked.
std::vector<int> ask(int request, const std::set<int>& offered, int& chosen) {
  std::vector<int> asked;
  chosen = platform::chooseSampleCount(request, [&](int count) {
    asked.push_back(count);
    return offered.count(count) ? count : 0;
  });
  return asked;
}

}  // namespace

TEST(SampleCount, TheSmallestOfferedCountAtOrAboveTheRequest) {
  int chosen = -1;
  EXPECT_EQ(ask(2, {4, 8}, chosen), (std::vector<int>{2, 4}));
  EXPECT_EQ(chosen, 4);
  EXPECT_EQ(ask(8, {4, 8}, chosen), (std::vector<int>{8}));
  EXPECT_EQ(chosen, 8);
  EXPECT_EQ(ask(8, {2, 4}, chosen), (std::vector<int>{8, 16, 32}));
  EXPECT_EQ(chosen, 0) << "nothing at or above the request";
  // Some drivers hand out what they have instead of refusing: a grant below counts for nothing.
  EXPECT_EQ(platform::chooseSampleCount(8, [](int count) { return count == 16 ? 16 : 4; }), 16);
}

TEST(ExactMode, TakesOnlyTheChosenSizePreferringTheDesktopsColourBits) {
  const std::vector<platform::DisplayModeInfo> modes = {
      {1920, 1080, 24, 4, 60}, {1024, 768, 16, 2, 75}, {1024, 768, 24, 4, 60}, {800, 600, 24, 4, 60}};
  EXPECT_EQ(platform::exactModeIndex(modes, 1024, 768, 24), 2);
  EXPECT_EQ(platform::exactModeIndex(modes, 1024, 768, 32), 1) << "no mode of the desktop's bits: the first of that size";
  EXPECT_EQ(platform::exactModeIndex(modes, 801, 600, 24), -1) << "a size the display lacks, even with one close";
  EXPECT_EQ(platform::exactModeIndex({}, 800, 600, 24), -1);
}
