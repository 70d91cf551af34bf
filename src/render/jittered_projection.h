// The projection every scene sets up through: a frustum shifted by the sub-pixel
// jitter of the anti-aliasing sample being drawn, which the frame hands down in
// its context. Main thread, inside a frame's drawing.
#pragma once

#include "framework/types.h"

struct FrameContext;

struct JitterOffset {
  f64 dx = 0.0;
  f64 dy = 0.0;
};

// Loads a frustum shifted by the frame's jitter (in pixels of its viewport) into
// the projection matrix.
void jitteredFrustum(const FrameContext& frame, f64 left, f64 right, f64 bottom, f64 top, f64 zNear, f64 zFar);
void jitteredPerspective(const FrameContext& frame, f64 fovyDegrees, f64 aspect, f64 zNear, f64 zFar);
