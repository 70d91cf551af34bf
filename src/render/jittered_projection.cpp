// The jittered projection.
#include "render/jittered_projection.h"

#include <cmath>
#include <numbers>

#include "platform/gl.h"
#include "render/frame_context.h"

void jitteredFrustum(const FrameContext& frame, f64 left, f64 right, f64 bottom, f64 top, f64 zNear, f64 zFar) {
  const f64 dx = -(frame.jitter.dx * (right - left) / frame.viewportWidth);
  const f64 dy = -(frame.jitter.dy * (top - bottom) / frame.viewportHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(left + dx, right + dx, bottom + dy, top + dy, zNear, zFar);
  glMatrixMode(GL_MODELVIEW);
}

void jitteredPerspective(const FrameContext& frame, f64 fovyDegrees, f64 aspect, f64 zNear, f64 zFar) {
  const f64 half = fovyDegrees * std::numbers::pi / 180.0 * 0.5;
  const f64 top = zNear / (std::cos(half) / std::sin(half));
  const f64 right = top * aspect;
  jitteredFrustum(frame, -right, right, -top, top, zNear, zFar);
}
