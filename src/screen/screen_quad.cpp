// The full-screen quad as an interleaved vertex array; the client state it turns
// on is turned off again.
#include "screen/screen_quad.h"

#include <GL/glew.h>

void drawScreenQuad(f32 u, f32 v) {
  const GLfloat vertices[] = {
      0.0f, v, 0.0f, 1.0f, 0.0f,  //
      0.0f, 0.0f, 0.0f, 0.0f, 0.0f,  //
      u, v, 1.0f, 1.0f, 0.0f,  //
      u, 0.0f, 1.0f, 0.0f, 0.0f,
  };
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glBindBuffer(GL_ARRAY_BUFFER, 0);  // the array lives in client memory
  glInterleavedArrays(GL_T2F_V3F, 0, vertices);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  glPopClientAttrib();
}
