// The gamma ramp formula: entry i = ((i + 1) / 256)^(2 - g) * 65535 + 0.5, g at most 2.
#include <gtest/gtest.h>

#include <cmath>

#include "app/window.h"

TEST(GammaRamp, OneIsLinearBigScreenBrightensAndAboveTwoIsFlat) {
  const GammaRamp linear = computeGammaRamp(1.0f);
  const GammaRamp bright = computeGammaRamp(1.2f);
  const GammaRamp flat = computeGammaRamp(3.0f);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(linear.red[i], static_cast<u16>((i + 1) / 256.0 * 65535.0 + 0.5)) << i;
    ASSERT_EQ(linear.green[i], linear.red[i]);
    ASSERT_EQ(linear.blue[i], linear.red[i]);
    if (i < 255) ASSERT_GT(bright.red[i], linear.red[i]) << i;
    ASSERT_EQ(flat.red[i], 65535) << i;
  }
  EXPECT_EQ(bright.red[0], static_cast<u16>(std::pow(1.0 / 256.0, 2.0 - 1.2f) * 65535.0 + 0.5));
  EXPECT_EQ(bright.red[255], 65535);
  EXPECT_FLOAT_EQ(clampGamma(3.0f), 2.0f);
  EXPECT_FLOAT_EQ(clampGamma(-1.0f), 0.0f);
}
