// The jittered projection and the offset of the sample being drawn.
#include "render/jittered_projection.h"

#include <cmath>
#include <numbers>

#include "platform/gl.h"

namespace {

f64 gViewportWidth = 1.0;
f64 gViewportHeight = 1.0;
JitterOffset gCurrentOffset;

}  // namespace

void setJitterViewport(f64 width, f64 height) {
  gViewportWidth = width;
  gViewportHeight = height;
}

void setCurrentJitterOffset(const JitterOffset& offset) { gCurrentOffset = offset; }

JitterOffset currentJitterOffset() { return gCurrentOffset; }

void jitteredFrustum(const JitterOffset& offset, f64 left, f64 right, f64 bottom, f64 top, f64 zNear, f64 zFar) {
  const f64 dx = -(offset.dx * (right - left) / gViewportWidth);
  const f64 dy = -(offset.dy * (top - bottom) / gViewportHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(left + dx, right + dx, bottom + dy, top + dy, zNear, zFar);
  glMatrixMode(GL_MODELVIEW);
}

void jitteredPerspective(const JitterOffset& offset, f64 fovyDegrees, f64 aspect, f64 zNear, f64 zFar) {
  const f64 half = fovyDegrees * std::numbers::pi / 180.0 * 0.5;
  const f64 top = zNear / (std::cos(half) / std::sin(half));
  const f64 right = top * aspect;
  jitteredFrustum(offset, -right, right, -top, top, zNear, zFar);
}
