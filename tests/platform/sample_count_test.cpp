// The multisample choice: the smallest count a driver offers at or above the
// request, as a pixel-format choice gives it, over a driver played by the test.
#include <gtest/gtest.h>

#include <set>
#include <vector>

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
