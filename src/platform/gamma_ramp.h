// The gamma ramp formula that big-screen mode puts on the picture: a curve of
// 3 x 256 16-bit entries, the shape of a display's own gamma ramp.
#pragma once

#include "framework/types.h"

// The ramp for gamma g (clamped to 0..2): entry i = ((i + 1) / 256)^(2 - g) * 65535 + 0.5.
struct GammaRamp {
  u16 red[256];
  u16 green[256];
  u16 blue[256];
};
float clampGamma(float gamma);
GammaRamp computeGammaRamp(float gamma);
