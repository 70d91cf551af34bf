// Power-of-two sizes for cards without non-power-of-two textures, and the switch
// that tells whether the running card has them (tests can pretend it has not).
#pragma once

#include <optional>

#include "framework/types.h"

// Replaces width and height by the next power of two at or above each; the
// optional outputs get the fraction of the new size the old one covers.
void roundUpPowerOfTwo(u32& width, u32& height, f32* pScaleU = nullptr, f32* pScaleV = nullptr);

bool hasNonPowerOfTwoTextures();
// Tests force either answer; std::nullopt asks the driver again.
void overrideNonPowerOfTwoTextures(std::optional<bool> available);
