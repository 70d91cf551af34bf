// Sub-pixel jitter for anti-aliasing by accumulation: the offset tables per sample
// count, the sample being drawn, and the projection set-up every scene goes through.
#pragma once

#include "framework/types.h"

struct JitterOffset {
  f64 dx = 0.0;
  f64 dy = 0.0;
};

// The table for a sample count (0, 2, 3, 4, 8 or 16); null for any other count.
const JitterOffset* jitterTable(s32 sampleCount, s32* pEntries = nullptr);

// The viewport the offsets are relative to: the window's client size.
void setJitterViewport(f64 width, f64 height);

// Loads a frustum shifted by the offset (in pixels) into the projection matrix.
void jitteredFrustum(const JitterOffset& offset, f64 left, f64 right, f64 bottom, f64 top, f64 zNear, f64 zFar);
void jitteredPerspective(const JitterOffset& offset, f64 fovyDegrees, f64 aspect, f64 zNear, f64 zFar);
