// Linear and spline curves through key frames.
#include "demo/interpolation.h"

#include <gtest/gtest.h>

TEST(Interpolation, LinearBetweenKeysWrapsPastTheEndExtrapolatesBeforeTheFirstKeyAndStaysFinite) {
  const CInterpolation::Key two[] = {{0.0f, 0.0f}, {10.0f, 1.0f}};
  const CInterpolation::Key late[] = {{0.0f, 0.2f}, {10.0f, 0.4f}, {20.0f, 1.0f}};
  const CInterpolation::Key same[] = {{1.0f, 0.5f}, {3.0f, 0.5f}};
  struct Case {
    const CInterpolation::Key* keys;
    u32 count;
    f32 at, expected;
  };
  // 1.5 wraps once to 0.5; before the first key the first segment goes on.
  for (const Case& c : {Case{two, 2, 0.25f, 2.5f}, Case{two, 2, 1.0f, 10.0f}, Case{two, 2, 1.5f, 5.0f},
                        Case{late, 3, 0.1f, -5.0f}, Case{late, 3, 0.7f, 15.0f}, Case{same, 2, 0.5f, 1.0f}}) {
    CInterpolation curve;
    curve.setKeys(c.keys, c.count);
    EXPECT_FLOAT_EQ(curve.evaluateLinear(c.at), c.expected) << c.count << " keys at " << c.at;
  }
  CInterpolation empty;
  EXPECT_EQ(empty.evaluateLinear(0.5f), 0.0f);
  EXPECT_EQ(empty.evaluateSpline(0.5f), 0.0f);
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
