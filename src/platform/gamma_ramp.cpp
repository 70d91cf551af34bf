// The gamma ramp formula.
#include "platform/gamma_ramp.h"

#include <cmath>

float clampGamma(float gamma) {
  if (gamma < 0.0f) return 0.0f;
  if (gamma > 2.0f) return 2.0f;
  return gamma;
}

GammaRamp computeGammaRamp(float gamma) {
  const double exponent = 2.0 - clampGamma(gamma);
  GammaRamp ramp;
  for (int i = 0; i < 256; ++i) {
    double value = std::pow((i + 1) / 256.0, exponent) * 65535.0 + 0.5;
    if (value < 0.0) value = 0.0;
    if (value > 65535.0) value = 65535.0;
    const u16 entry = static_cast<u16>(value);
    ramp.red[i] = entry;
    ramp.green[i] = entry;
    ramp.blue[i] = entry;
  }
  return ramp;
}
