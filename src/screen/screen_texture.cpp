// Screen texture storage: 16-bit float colour and 24-bit depth, or 8-bit colour
// and unsized depth in low quality.
#include "screen/screen_texture.h"

#include "platform/gl.h"

#include "screen/power_of_two.h"

CTexture::CTexture() : mTarget(GL_TEXTURE_2D), mInternalFormat(GL_RGBA8) {}

CTexture::~CTexture() {
  if (mName != 0) {
    glDeleteTextures(1, &mName);
  }
}

bool CTexture::createEmpty(u32 width, u32 height, u32 internalFormat, u32 pixelFormat, const ScreenFormat& format) {
  if (mName != 0) {
    return false;
  }
  GLenum type = GL_FLOAT;
  if (format.lowQuality || (format.byteColour && pixelFormat != GL_DEPTH_COMPONENT)) {
    if (pixelFormat == GL_DEPTH_COMPONENT) {
      internalFormat = GL_DEPTH_COMPONENT;
    } else {
      internalFormat = GL_RGBA8;
      pixelFormat = GL_RGBA;
      type = GL_UNSIGNED_BYTE;
    }
  }
  mInternalFormat = internalFormat;
  if (!hasNonPowerOfTwoTextures()) {
    roundUpPowerOfTwo(width, height);
  }

  GLint previous = 0;
  GLint previousAlignment = 4;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
  glGenTextures(1, &mName);
  glBindTexture(mTarget, mName);
  glTexParameteri(mTarget, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(mTarget, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(mTarget, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(mTarget, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(mTarget, 0, static_cast<GLint>(mInternalFormat), static_cast<GLsizei>(width),
               static_cast<GLsizei>(height), 0, pixelFormat, type, nullptr);
  glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
  glBindTexture(mTarget, static_cast<GLuint>(previous));
  return true;
}
