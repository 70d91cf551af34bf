// Framebuffer object names.
#include "screen/frm_buf_obj.h"

#include "platform/gl.h"

CFrmBufObj2D::CFrmBufObj2D() { glGenFramebuffersEXT(1, &mName); }

CFrmBufObj2D::~CFrmBufObj2D() {
  if (glIsFramebufferEXT(mName)) {
    glDeleteFramebuffersEXT(1, &mName);
  }
}
