// Power-of-two rounding for cards without non-power-of-two textures.
#include "screen/power_of_two.h"

#include <gtest/gtest.h>

TEST(RoundUpPowerOfTwo, RoundsEachSideReportsTheCoveredFractionAndKeepsExactPowers) {
  u32 width = 800, height = 600;
  f32 u = 0.0f, v = 0.0f;
  roundUpPowerOfTwo(width, height, &u, &v);
  EXPECT_EQ(width, 1024u);
  EXPECT_EQ(height, 1024u);
  EXPECT_FLOAT_EQ(u, 0.78125f);
  EXPECT_FLOAT_EQ(v, 0.5859375f);
  for (u32 power = 1; power <= (1u << 20); power <<= 1) {
    width = height = power;
    roundUpPowerOfTwo(width, height, &u);
    ASSERT_EQ(width, power);
    ASSERT_FLOAT_EQ(u, 1.0f);
  }
  width = 1025;
  height = 3;
  roundUpPowerOfTwo(width, height);
  EXPECT_EQ(width, 2048u);
  EXPECT_EQ(height, 4u);
}
