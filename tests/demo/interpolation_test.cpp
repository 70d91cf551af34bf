// Linear and spline curves through key frames.
#include "demo/interpolation.h"

#include <gtest/gtest.h>

TEST(Interpolation, LinearBetweenKeysAndAtTheEnd) {
  const CInterpolation::Key keys[] = {{0.0f, 0.0f}, {10.0f, 1.0f}};
  CInterpolation curve;
  curve.setKeys(keys, 2);
  EXPECT_FLOAT_EQ(curve.evaluateLinear(0.25f), 2.5f);
  EXPECT_FLOAT_EQ(curve.evaluateLinear(1.0f), 10.0f);
  EXPECT_FLOAT_EQ(curve.evaluateLinear(1.5f), 5.0f);  // wraps once to 0.5
}

TEST(Interpolation, BeforeTheFirstKeyExtrapolatesAlongTheFirstSegment) {
  const CInterpolation::Key keys[] = {{0.0f, 0.2f}, {10.0f, 0.4f}, {20.0f, 1.0f}};
  CInterpolation curve;
  curve.setKeys(keys, 3);
  EXPECT_FLOAT_EQ(curve.evaluateLinear(0.1f), -5.0f);
  EXPECT_FLOAT_EQ(curve.evaluateLinear(0.7f), 15.0f);
}

TEST(Interpolation, CatmullRomPassesThroughTheKeys) {
  const CInterpolation::Key keys[] = {{0.0f, 0.0f}, {1.0f, 0.5f}, {0.0f, 1.0f}};
  CInterpolation curve;
  curve.setKeys(keys, 3);
  curve.mode = CInterpolation::MODE_SPLINE;
  EXPECT_FLOAT_EQ(curve.evaluate(0.5f), 1.0f);
  EXPECT_FLOAT_EQ(curve.evaluate(0.0f), 0.0f);
  // Between the keys the curve overshoots the straight line towards the peak.
  EXPECT_GT(curve.evaluate(0.25f), 0.5f);
  curve.tension = 1.0f;  // no tangents: a smoothstep between neighbours
  EXPECT_FLOAT_EQ(curve.evaluate(0.25f), 0.5f);
}

TEST(Interpolation, DegenerateCurvesStayFinite) {
  CInterpolation empty;
  EXPECT_EQ(empty.evaluateLinear(0.5f), 0.0f);
  EXPECT_EQ(empty.evaluateSpline(0.5f), 0.0f);
  const CInterpolation::Key same[] = {{1.0f, 0.5f}, {3.0f, 0.5f}};
  CInterpolation curve;
  curve.setKeys(same, 2);
  EXPECT_FLOAT_EQ(curve.evaluateLinear(0.5f), 1.0f);
}
