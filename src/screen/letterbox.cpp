// Letterbox arithmetic in single precision, as the picture has always been placed.
#include "screen/letterbox.h"

#include <cmath>

namespace {
f32 positiveOrZero(f32 value) { return (std::isnan(value) || value <= 0.0f) ? 0.0f : value; }
}  // namespace

PictureRect letterboxRect(s32 aspectX, s32 aspectY) {
  const f32 width = static_cast<f32>(aspectX);
  const f32 height = static_cast<f32>(aspectY);
  const f32 heightOverWidth = height / width;
  const f32 widthOverHeight = width / height;
  const f32 xBracket = static_cast<f32>(1.0 - static_cast<f64>(heightOverWidth) * 1.7777777910232544);
  const f32 yBracket = static_cast<f32>(1.0 - static_cast<f64>(widthOverHeight) * 0.5625);
  PictureRect rect;
  rect.x0 = positiveOrZero(xBracket * 0.5f);
  rect.y0 = positiveOrZero(yBracket * 0.5f);
  rect.x1 = 1.0f - rect.x0;
  rect.y1 = 1.0f - rect.y0;
  return rect;
}
