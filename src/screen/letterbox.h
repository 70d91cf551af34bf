// Where the 16:9 picture sits inside a display of another aspect ratio, as a
// rectangle of the unit square; the rest of the window shows bars.
#pragma once

#include "framework/types.h"

struct PictureRect {
  f32 x0 = 0.0f;
  f32 y0 = 0.0f;
  f32 x1 = 1.0f;
  f32 y1 = 1.0f;
};

PictureRect letterboxRect(s32 aspectX, s32 aspectY);
