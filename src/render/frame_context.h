// FrameContext: what a frame hands down its draw calls to the code that draws a
// scene — the line's effect that models draw with instead of their own, the
// jitter of the anti-aliasing sample being drawn and the viewport that jitter is
// measured in. A value passed by reference; main thread, inside a frame's drawing.
#pragma once

#include "render/jittered_projection.h"

class resShader;

struct FrameContext {
  resShader* pOverrideEffect = nullptr;  // borrowed from the line; null: each material's own
  JitterOffset jitter;                   // (0, 0) outside the multi-sample loop
  f64 viewportWidth = 1.0;               // the window's client size
  f64 viewportHeight = 1.0;
};
