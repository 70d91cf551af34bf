// drawScreenQuad: the unit-square quad every full-screen pass draws, with texture
// coordinates up to the screen UV scale; drawScreenRect the same over a part of it.
#pragma once

#include "framework/types.h"
#include "screen/letterbox.h"

// The orthographic projection 0..1 (depth -10..10) that screen quads are drawn
// under; leaves the model-view matrix mode selected.
void orthographicUnitSquare();

// Flat drawing over a frame for one scope (a fade, an overlay): pushes the
// attribute groups `attribBits` and both matrices, sets the orthographic
// projection (depth -1..1) and an identity model-view; at the scope's end pops
// all three, the model-view matrix mode selected, so the frame's own drawing
// finds its state as it left it.
class ScopedOrthographic {
 public:
  ScopedOrthographic(u32 attribBits, f64 left, f64 right, f64 bottom, f64 top);
  ~ScopedOrthographic();
  ScopedOrthographic(const ScopedOrthographic&) = delete;
  ScopedOrthographic& operator=(const ScopedOrthographic&) = delete;
};
void drawScreenQuad(f32 u, f32 v);
// The quad over `rect` of the unit square, sampling the screen up to u, v.
void drawScreenRect(const PictureRect& rect, f32 u, f32 v);
