// The 16:9 picture inside the display's aspect.
#include "screen/letterbox.h"

#include <gtest/gtest.h>

TEST(Letterbox, NarrowerDisplaysGetBarsAboveAndBelowWiderOnesAtTheSides) {
  struct Case {
    s32 x, y;
    f32 x0, y0;
  };
  const Case cases[] = {{16, 9, 0.0f, 0.0f},   {4, 3, 0.0f, 0.125f}, {16, 10, 0.0f, 0.05f}, {5, 4, 0.0f, 0.1484375f},
                        {21, 9, (1.0f - (9.0f / 21.0f) * (16.0f / 9.0f)) * 0.5f, 0.0f},
                        {0, 0, 0.0f, 0.0f}};  // a degenerate aspect falls back to the whole window
  for (const Case& c : cases) {
    const PictureRect rect = letterboxRect(c.x, c.y);
    EXPECT_NEAR(rect.x0, c.x0, 1e-6f) << c.x << ":" << c.y;
    EXPECT_NEAR(rect.y0, c.y0, 1e-6f) << c.x << ":" << c.y;
    EXPECT_NEAR(rect.x1, 1.0f - c.x0, 1e-6f) << c.x << ":" << c.y;
    EXPECT_NEAR(rect.y1, 1.0f - c.y0, 1e-6f) << c.x << ":" << c.y;
  }
  EXPECT_LT(letterboxRect(4, 3).y0, 0.125f);  // 0.12499999 in single precision
}
