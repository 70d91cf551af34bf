// The projection every scene sets up through: a frustum shifted by the sub-pixel
// jitter of the anti-aliasing sample being drawn. The scene renderer above hands
// the current offset down before each sample; drawing code reads it here.
// Main thread, inside a frame's drawing.
#pragma once

#include "framework/types.h"

struct JitterOffset {
  f64 dx = 0.0;
  f64 dy = 0.0;
};

// The viewport the offsets are relative to: the window's client size.
void setJitterViewport(f64 width, f64 height);

// The offset of the sample being drawn ((0, 0) outside the multi-sample loop).
void setCurrentJitterOffset(const JitterOffset& offset);
JitterOffset currentJitterOffset();

// Loads a frustum shifted by the offset (in pixels) into the projection matrix.
void jitteredFrustum(const JitterOffset& offset, f64 left, f64 right, f64 bottom, f64 top, f64 zNear, f64 zFar);
void jitteredPerspective(const JitterOffset& offset, f64 fovyDegrees, f64 aspect, f64 zNear, f64 zFar);
