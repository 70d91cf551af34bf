// Power-of-two rounding with the logarithm rule, and the capability switch.
#include "screen/power_of_two.h"

#include "platform/gl.h"

#include <cmath>

namespace {

std::optional<bool> gNonPowerOfTwoOverride;

u32 nextPowerOfTwo(u32 value) {
  if (value <= 1) {
    return 1;
  }
  const double exponent = std::log(static_cast<double>(value)) / std::log(2.0);
  double whole = std::floor(exponent);
  if (exponent - whole != 0.0) {
    whole += 1.0;
  }
  u32 result = 1u << static_cast<u32>(whole);
  // ln/ln(2) can land a hair above an exact power; keep exact powers unchanged.
  if ((result >> 1) >= value) {
    result >>= 1;
  }
  return result;
}

}  // namespace

void roundUpPowerOfTwo(u32& width, u32& height, f32* pScaleU, f32* pScaleV) {
  const u32 newWidth = nextPowerOfTwo(width);
  const u32 newHeight = nextPowerOfTwo(height);
  if (pScaleU) {
    *pScaleU = static_cast<f32>(width) / static_cast<f32>(newWidth);
  }
  if (pScaleV) {
    *pScaleV = static_cast<f32>(height) / static_cast<f32>(newHeight);
  }
  width = newWidth;
  height = newHeight;
}

bool hasNonPowerOfTwoTextures() {
  if (gNonPowerOfTwoOverride) {
    return *gNonPowerOfTwoOverride;
  }
  return GLEW_ARB_texture_non_power_of_two != 0;
}

void overrideNonPowerOfTwoTextures(std::optional<bool> available) { gNonPowerOfTwoOverride = available; }
