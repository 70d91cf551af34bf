// thinStrip: which vertices of a line strip can be left out because the line
// drawn without them lands on the same pixels. Ribbon paths are sampled far more
// densely than the window resolves, and a software renderer pays for every tiny
// segment. Main thread (pure arithmetic).
#pragma once

#include <vector>

#include "framework/types.h"

// A strip vertex in window pixels. A vertex whose position cannot be worked out
// (behind the eye) is not valid: neither it nor its neighbours are left out.
struct StripPoint {
  f32 x = 0.0f;
  f32 y = 0.0f;
  bool valid = true;
  bool keep = false;  // must stay, e.g. where the vertex colours change their slope
};

// Appends to `kept` the indices of the vertices to draw, in order, always the
// first and the last. Every vertex left out lies within `tolerance` pixels (times
// the square root of two at a chord's far end) of the segment between the kept
// vertices around it, and no segment spans more than `longestRun` vertices.
void thinStrip(const StripPoint* pPoints, u32 count, f32 tolerance, u32 longestRun, std::vector<u32>& kept);
