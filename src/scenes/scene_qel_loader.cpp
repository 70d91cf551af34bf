// The loading screen's bar.
#include "scenes/scene_qel_loader.h"

#include "platform/gl.h"

namespace {

// A rectangle centred on the origin in the z = 0 plane, facing the camera on +z
// (counter-clockwise, so back-face culling keeps it).
void drawCentredRectangle(f32 width, f32 height, f32 grey) {
  const f32 x = width * 0.5f;
  const f32 y = height * 0.5f;
  const f32 strip[4][5] = {
      {0.0f, 0.0f, -x, -y, 0.0f},
      {1.0f, 0.0f, x, -y, 0.0f},
      {0.0f, 1.0f, -x, y, 0.0f},
      {1.0f, 1.0f, x, y, 0.0f},
  };
  glColor4f(grey, grey, grey, 1.0f);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);  // the arrays it enables are put back
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glInterleavedArrays(GL_T2F_V3F, 0, strip);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  glPopClientAttrib();
}

}  // namespace

void CSceneQel_loader::update(cQelRender* /*pRender*/, f32 /*progress*/) {
  glEnable(GL_COLOR_MATERIAL);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  GLint matrixMode = GL_MODELVIEW;
  glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 4.0 / 3.0, 1.0, 1000.0);
  glMatrixMode(static_cast<GLenum>(matrixMode));
}

void CSceneQel_loader::draw(cQelRender* /*pRender*/, f32 progress, const FrameContext& /*frame*/) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  GLint matrixMode = GL_MODELVIEW;
  glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(0.0, 0.0, 10.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
  // Whatever a model pass left bound must not tint or texture the bar.
  GLint program = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  glUseProgram(0);
  glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_DEPTH_TEST);  // painted in order: frame, inside, bar
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  drawCentredRectangle(FRAME_WIDTH, FRAME_HEIGHT, 1.0f);
  drawCentredRectangle(GAP_WIDTH, GAP_HEIGHT, 0.0f);
  if (progress > 0.0f) {
    drawCentredRectangle(progress * BAR_FULL_WIDTH, BAR_HEIGHT, 1.0f);
  }
  glPopClientAttrib();
  glPopAttrib();
  glUseProgram(static_cast<GLuint>(program));
  glMatrixMode(static_cast<GLenum>(matrixMode));
}

void CSceneQel_loader::finish(cQelRender* /*pRender*/, f32 /*progress*/) { glDisable(GL_COLOR_MATERIAL); }
