// The jittered projection (which sample counts have tables: the scene renderer tests).
#include "screen/jitter.h"

#include "platform/gl.h"
#include <gtest/gtest.h>

#include "render/frame_context.h"
#include "support/gl_test_context.h"

TEST(JitterProjection, FrustumShiftsByTheOffsetInPixels) {
  GlTestContext context;
  ASSERT_TRUE(context.ok()) << context.error();
  FrameContext frame;
  frame.jitter = {0.5, 0.25};
  frame.viewportWidth = 100.0;
  frame.viewportHeight = 50.0;
  jitteredFrustum(frame, -1.0, 1.0, -1.0, 1.0, 1.0, 10.0);
  GLdouble matrix[16];
  glGetDoublev(GL_PROJECTION_MATRIX, matrix);
  // (r + l) / (r - l) with l, r shifted by -(0.5 * 2 / 100); likewise vertically.
  EXPECT_NEAR(matrix[8], -0.01, 1e-7);  // GL keeps single precision
  EXPECT_NEAR(matrix[9], -0.01, 1e-7);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  jitteredPerspective(FrameContext{}, 90.0, 2.0, 1.0, 10.0);
  glGetDoublev(GL_PROJECTION_MATRIX, matrix);
  EXPECT_NEAR(matrix[0], 0.5, 1e-6);  // near / right with right = 2
  EXPECT_NEAR(matrix[5], 1.0, 1e-6);
  EXPECT_NEAR(matrix[8], 0.0, 1e-7);
}
