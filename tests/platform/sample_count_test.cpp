// The multisample choice: the smallest count a driver offers at or above the
// request, as a pixel-format choice gives it, over a driver played by the test.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "platform/gl_window.h"

namespace {

// A driver that grants exactly the counts it offers and refuses the rest.
struct OfferedCounts {
  std::set<int> offered;
  std::vector<int> asked;
  int operator()(int count) {
    asked.push_back(count);
    return offered.count(count) ? count : 0;
  }
};

}  // namespace

TEST(SampleCount, ADriverWithOnlyFourAndEightServesTwoWithFour) {
  OfferedCounts driver{{4, 8}, {}};
  EXPECT_EQ(platform::chooseSampleCount(2, std::ref(driver)), 4);
  EXPECT_EQ(driver.asked, (std::vector<int>{2, 4}));
  OfferedCounts again{{4, 8}, {}};
  EXPECT_EQ(platform::chooseSampleCount(8, std::ref(again)), 8);
  EXPECT_EQ(again.asked, (std::vector<int>{8})) << "an offered count is taken as it is";
}

TEST(SampleCount, RefusesOnlyWhenNothingAtOrAboveIsOffered) {
  OfferedCounts driver{{2, 4}, {}};
  EXPECT_EQ(platform::chooseSampleCount(8, std::ref(driver)), 0);
  EXPECT_EQ(driver.asked, (std::vector<int>{8, 16, 32}));
}

TEST(SampleCount, AGrantBelowTheRequestDoesNotCount) {
  // Some drivers hand out what they have instead of refusing.
  int calls = 0;
  EXPECT_EQ(platform::chooseSampleCount(8, [&calls](int count) {
              ++calls;
              return count == 16 ? 16 : 4;
            }),
            16);
  EXPECT_EQ(calls, 2);
}
