// Flat drawing over a frame: ScopedOrthographic sets its projection for the scope
// and hands the frame's matrices, matrix mode and pushed state back at its end.
#include "screen/screen_quad.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/gl.h"
#include "support/gl_state.h"
#include "support/gl_test_context.h"

namespace {

std::array<GLfloat, 16> matrix(GLenum which) {
  std::array<GLfloat, 16> values{};
  glGetFloatv(which, values.data());
  return values;
}

}  // namespace

TEST(ScopedOrthographic, DrawsFlatForItsScopeAndHandsTheFramesStateBack) {
  GlTestContext context;
  ASSERT_TRUE(context.ok()) << context.error();
  // A frame's own state: a perspective camera, a moved model, depth test on,
  // the projection matrix mode selected.
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1.0f, 2.0f, -5.0f);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-1.0, 1.0, -1.0, 1.0, 1.0, 100.0);
  glEnable(GL_DEPTH_TEST);
  const std::array<GLfloat, 16> projection = matrix(GL_PROJECTION_MATRIX);
  const std::array<GLfloat, 16> modelView = matrix(GL_MODELVIEW_MATRIX);
  const GlState before = GlState::take();
  {
    const ScopedOrthographic flat(GL_ENABLE_BIT, 0.0, 200.0, 100.0, 0.0);
    // 0..200 across and 100..0 down map to -1..1: x scale 2/200, y scale -2/100.
    const std::array<GLfloat, 16> inside = matrix(GL_PROJECTION_MATRIX);
    EXPECT_FLOAT_EQ(inside[0], 0.01f);
    EXPECT_FLOAT_EQ(inside[5], -0.02f);
    EXPECT_FLOAT_EQ(matrix(GL_MODELVIEW_MATRIX)[12], 0.0f) << "the model-view is the identity";
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_TEXTURE);
  }
  EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), projection);
  EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), modelView);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  const GlState after = GlState::take();
  EXPECT_EQ(after.at("GL_MATRIX_MODE"), GL_MODELVIEW);
  // Apart from the matrix mode, which the scope leaves on the model-view, all is as it was.
  glMatrixMode(GL_PROJECTION);
  EXPECT_EQ(GlState::take().differencesFrom(before), "");
}
