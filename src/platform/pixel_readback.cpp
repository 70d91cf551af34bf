// Back-buffer readback through a ring of pixel buffer objects.
#include "platform/pixel_readback.h"

#include <GL/glew.h>

#include <cstring>

namespace platform {

namespace {

// Reads the back buffer into the bound pack buffer (offset 0) or into memory,
// leaving the pack alignment and the read buffer as they were. BGRA is the
// usual order of a window's pixels: read in it, the copy needs no reordering,
// which the PNG writer's threads do instead of the drawing thread.
void readBackBuffer(int width, int height, void* pTarget) {
  GLint previousAlignment = 4;
  GLint previousReadBuffer = GL_BACK;
  glGetIntegerv(GL_PACK_ALIGNMENT, &previousAlignment);
  glGetIntegerv(GL_READ_BUFFER, &previousReadBuffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pTarget);
  glReadBuffer(static_cast<GLenum>(previousReadBuffer));
  glPixelStorei(GL_PACK_ALIGNMENT, previousAlignment);
}

}  // namespace

PixelReadback::PixelReadback(int width, int height) : mWidth(width), mHeight(height) {
  const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
  if (GLEW_VERSION_2_1 || GLEW_ARB_pixel_buffer_object) {
    mBuffers.resize(RING_SIZE, 0);
    glGenBuffers(RING_SIZE, mBuffers.data());
    GLint previous = 0;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &previous);
    for (unsigned buffer : mBuffers) {
      glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
      glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(previous));
    if (glGetError() != GL_NO_ERROR) {
      glDeleteBuffers(RING_SIZE, mBuffers.data());
      mBuffers.clear();
    }
  }
  if (mBuffers.empty()) {
    mDirect.assign(RING_SIZE, std::vector<u8>(bytes));
  }
}

PixelReadback::~PixelReadback() {
  if (!mBuffers.empty()) {
    glDeleteBuffers(static_cast<GLsizei>(mBuffers.size()), mBuffers.data());
  }
}

bool PixelReadback::read(std::vector<u8>& oldest) {
  bool handed = false;
  if (mInFlight == RING_SIZE) {
    handed = take(oldest);
  }
  const int slot = (mFirst + mInFlight) % RING_SIZE;
  if (mBuffers.empty()) {
    readBackBuffer(mWidth, mHeight, mDirect[slot].data());
  } else {
    GLint previous = 0;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &previous);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, mBuffers[slot]);
    readBackBuffer(mWidth, mHeight, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(previous));
  }
  ++mInFlight;
  return handed;
}

bool PixelReadback::take(std::vector<u8>& oldest) {
  if (mInFlight == 0) {
    return false;
  }
  copyInto(mFirst, oldest);
  mFirst = (mFirst + 1) % RING_SIZE;
  --mInFlight;
  return true;
}

void PixelReadback::copyInto(int slot, std::vector<u8>& pixels) {
  const std::size_t bytes = static_cast<std::size_t>(mWidth) * mHeight * 4;
  pixels.resize(bytes);
  if (mBuffers.empty()) {
    std::memcpy(pixels.data(), mDirect[slot].data(), bytes);
    return;
  }
  GLint previous = 0;
  glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &previous);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, mBuffers[slot]);
  const void* pMapped = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
  if (pMapped) {
    std::memcpy(pixels.data(), pMapped, bytes);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  } else {
    // A buffer that cannot be mapped (lost by the driver): its bytes are gone;
    // a black frame is less wrong than stale ones, and the caller is told.
    std::memset(pixels.data(), 0, bytes);
    mLostFrame = true;
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(previous));
}

}  // namespace platform
