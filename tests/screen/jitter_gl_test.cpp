// Jitter tables and the shifted projection.
#include "screen/jitter.h"

#include "platform/gl.h"
#include <gtest/gtest.h>

#include "support/gl_test_context.h"

TEST(JitterTable, KnownCountsHaveTablesOthersNone) {
  s32 entries = 0;
  ASSERT_NE(jitterTable(0, &entries), nullptr);
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(jitterTable(0)[0].dx, 0.0);
  for (s32 count : {2, 3, 4, 8, 16}) {
    ASSERT_NE(jitterTable(count, &entries), nullptr) << count;
    EXPECT_EQ(entries, count);
  }
  for (s32 count : {1, 5, 6, 7, 32, -1}) {
    EXPECT_EQ(jitterTable(count, &entries), nullptr) << count;
    EXPECT_EQ(entries, 0);
  }
}

TEST(JitterProjection, FrustumShiftsByTheOffsetInPixels) {
  GlTestContext context;
  ASSERT_TRUE(context.ok()) << context.error();
  setJitterViewport(100.0, 50.0);
  jitteredFrustum({0.5, 0.25}, -1.0, 1.0, -1.0, 1.0, 1.0, 10.0);
  GLdouble matrix[16];
  glGetDoublev(GL_PROJECTION_MATRIX, matrix);
  // (r + l) / (r - l) with l, r shifted by -(0.5 * 2 / 100); likewise vertically.
  EXPECT_NEAR(matrix[8], -0.01, 1e-7);  // GL keeps single precision
  EXPECT_NEAR(matrix[9], -0.01, 1e-7);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  jitteredPerspective({0.0, 0.0}, 90.0, 2.0, 1.0, 10.0);
  glGetDoublev(GL_PROJECTION_MATRIX, matrix);
  EXPECT_NEAR(matrix[0], 0.5, 1e-6);  // near / right with right = 2
  EXPECT_NEAR(matrix[5], 1.0, 1e-6);
  EXPECT_NEAR(matrix[8], 0.0, 1e-7);
}
