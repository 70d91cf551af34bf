// The full-screen quad as an interleaved vertex array; the client state it turns
// on is turned off again.
#include "screen/screen_quad.h"

#include "platform/gl.h"

void orthographicUnitSquare() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, 1.0, 0.0, 1.0, -10.0, 10.0);
  glMatrixMode(GL_MODELVIEW);
}

ScopedOrthographic::ScopedOrthographic(u32 attribBits, f64 left, f64 right, f64 bottom, f64 top) {
  glPushAttrib(static_cast<GLbitfield>(attribBits));
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(left, right, bottom, top, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

ScopedOrthographic::~ScopedOrthographic() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

void drawScreenQuad(f32 u, f32 v) { drawScreenRect(PictureRect{}, u, v); }

void drawScreenRect(const PictureRect& rect, f32 u, f32 v) {
  const GLfloat vertices[] = {
      0.0f, v,    rect.x0, rect.y1, 0.0f,  //
      0.0f, 0.0f, rect.x0, rect.y0, 0.0f,  //
      u,    v,    rect.x1, rect.y1, 0.0f,  //
      u,    0.0f, rect.x1, rect.y0, 0.0f,
  };
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glBindBuffer(GL_ARRAY_BUFFER, 0);  // the array lives in client memory
  glInterleavedArrays(GL_T2F_V3F, 0, vertices);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  glPopClientAttrib();
}
