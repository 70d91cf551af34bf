// The 16:9 picture inside the display's aspect.
#include "screen/letterbox.h"

#include <gtest/gtest.h>

TEST(Letterbox, SixteenByNineFillsTheWindow) {
  const PictureRect rect = letterboxRect(16, 9);
  EXPECT_FLOAT_EQ(rect.x0, 0.0f);
  EXPECT_FLOAT_EQ(rect.y0, 0.0f);
  EXPECT_FLOAT_EQ(rect.x1, 1.0f);
  EXPECT_FLOAT_EQ(rect.y1, 1.0f);
}

TEST(Letterbox, NarrowerDisplaysGetBarsAboveAndBelow) {
  PictureRect rect = letterboxRect(4, 3);
  EXPECT_EQ(rect.x0, 0.0f);
  EXPECT_NEAR(rect.y0, 0.125f, 1e-6f);
  EXPECT_LT(rect.y0, 0.125f);  // 0.12499999 in single precision
  EXPECT_NEAR(rect.y1, 0.875f, 1e-6f);
  rect = letterboxRect(16, 10);
  EXPECT_EQ(rect.x0, 0.0f);
  EXPECT_NEAR(rect.y0, 0.05f, 1e-6f);
  rect = letterboxRect(5, 4);
  EXPECT_EQ(rect.x0, 0.0f);
  EXPECT_FLOAT_EQ(rect.y0, 0.1484375f);
}

TEST(Letterbox, WiderDisplaysGetBarsLeftAndRight) {
  const PictureRect rect = letterboxRect(21, 9);
  EXPECT_EQ(rect.y0, 0.0f);
  EXPECT_NEAR(rect.x0, (1.0f - (9.0f / 21.0f) * (16.0f / 9.0f)) * 0.5f, 1e-6f);
  EXPECT_NEAR(rect.x1, 1.0f - rect.x0, 1e-7f);
}

TEST(Letterbox, DegenerateAspectFallsBackToTheWholeWindow) {
  const PictureRect rect = letterboxRect(0, 0);
  EXPECT_EQ(rect.x0, 0.0f);
  EXPECT_EQ(rect.y0, 0.0f);
}
