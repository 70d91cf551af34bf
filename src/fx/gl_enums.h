// The GL enum values that effect files name in their state and sampler
// assignments, spelled out so the effect-file reader needs no GL header. The
// runtime checks at compile time that each equals the loader's own value.
#pragma once

#include "framework/types.h"

namespace fx::glenum {

// Comparison functions (DepthFunc, AlphaFunc).
constexpr u32 NEVER = 0x0200, LESS = 0x0201, EQUAL = 0x0202, LEQUAL = 0x0203, GREATER = 0x0204,
              NOTEQUAL = 0x0205, GEQUAL = 0x0206, ALWAYS = 0x0207;
// Faces (CullFace).
constexpr u32 FRONT = 0x0404, BACK = 0x0405, FRONT_AND_BACK = 0x0408;
// Blend factors and equations.
constexpr u32 ZERO = 0, ONE = 1, SRC_COLOR = 0x0300, ONE_MINUS_SRC_COLOR = 0x0301, SRC_ALPHA = 0x0302,
              ONE_MINUS_SRC_ALPHA = 0x0303, DST_ALPHA = 0x0304, ONE_MINUS_DST_ALPHA = 0x0305, DST_COLOR = 0x0306,
              ONE_MINUS_DST_COLOR = 0x0307, SRC_ALPHA_SATURATE = 0x0308, CONSTANT_COLOR = 0x8001,
              ONE_MINUS_CONSTANT_COLOR = 0x8002;
constexpr u32 FUNC_ADD = 0x8006, MIN = 0x8007, MAX = 0x8008, FUNC_SUBTRACT = 0x800A, FUNC_REVERSE_SUBTRACT = 0x800B;
// Sampler filters, wrap modes and the parameters they set.
constexpr u32 NEAREST = 0x2600, LINEAR = 0x2601, NEAREST_MIPMAP_NEAREST = 0x2700, LINEAR_MIPMAP_NEAREST = 0x2701,
              NEAREST_MIPMAP_LINEAR = 0x2702, LINEAR_MIPMAP_LINEAR = 0x2703;
constexpr u32 CLAMP = 0x2900, REPEAT = 0x2901, CLAMP_TO_BORDER = 0x812D, CLAMP_TO_EDGE = 0x812F,
              MIRRORED_REPEAT = 0x8370;
constexpr u32 TEXTURE_MAG_FILTER = 0x2800, TEXTURE_MIN_FILTER = 0x2801, TEXTURE_WRAP_S = 0x2802,
              TEXTURE_WRAP_T = 0x2803, TEXTURE_WRAP_R = 0x8072;
// Sampler targets.
constexpr u32 TEXTURE_1D = 0x0DE0, TEXTURE_2D = 0x0DE1, TEXTURE_3D = 0x806F, TEXTURE_CUBE_MAP = 0x8513,
              TEXTURE_RECTANGLE = 0x84F5;

}  // namespace fx::glenum
