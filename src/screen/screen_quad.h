// drawScreenQuad: the unit-square quad every full-screen pass draws, with texture
// coordinates up to the screen UV scale; drawScreenRect the same over a part of it.
#pragma once

#include "framework/types.h"
#include "screen/letterbox.h"

// The orthographic projection 0..1 (depth -10..10) that screen quads are drawn
// under; leaves the model-view matrix mode selected.
void orthographicUnitSquare();
void drawScreenQuad(f32 u, f32 v);
// The quad over `rect` of the unit square, sampling the screen up to u, v.
void drawScreenRect(const PictureRect& rect, f32 u, f32 v);
