// The gamma ramp formula: entry i = ((i + 1) / 256)^(2 - g) * 65535 + 0.5.
#include <gtest/gtest.h>

#include <cmath>

#include "app/window.h"

TEST(GammaRamp, OneIsLinear) {
  const GammaRamp ramp = computeGammaRamp(1.0f);
  for (int i = 0; i < 256; ++i) {
    const u16 expected = static_cast<u16>((i + 1) / 256.0 * 65535.0 + 0.5);
    ASSERT_EQ(ramp.red[i], expected) << i;
    ASSERT_EQ(ramp.green[i], expected);
    ASSERT_EQ(ramp.blue[i], expected);
  }
  EXPECT_EQ(ramp.red[255], 65535);
  EXPECT_EQ(ramp.red[127], 32768);
}

TEST(GammaRamp, BigScreenValueBrightens) {
  const GammaRamp ramp = computeGammaRamp(1.2f);
  const GammaRamp linear = computeGammaRamp(1.0f);
  EXPECT_EQ(ramp.red[0], static_cast<u16>(std::pow(1.0 / 256.0, 2.0 - 1.2f) * 65535.0 + 0.5));
  for (int i = 0; i < 255; ++i) {
    EXPECT_GT(ramp.red[i], linear.red[i]) << i;
  }
  EXPECT_EQ(ramp.red[255], 65535);
}

TEST(GammaRamp, ValuesAboveTwoClampToAFlatMaximum) {
  EXPECT_FLOAT_EQ(clampGamma(3.0f), 2.0f);
  EXPECT_FLOAT_EQ(clampGamma(-1.0f), 0.0f);
  const GammaRamp ramp = computeGammaRamp(3.0f);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(ramp.red[i], 65535) << i;
  }
}
