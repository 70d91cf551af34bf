// The author-mode timeline: a bar along the bottom of the window standing for the
// whole show, where it lies, which time a point on it stands for, and the marks it
// carries (scene starts of both lines, post-effect entries). No drawing: the overlay
// draws what this lays out. Main thread.
#pragma once

#include <vector>

#include "framework/types.h"

namespace devtimeline {

constexpr int HEIGHT = 18;
constexpr int MARGIN = 8;

// MusicEnd: where the music stops, marked only when the running order goes on past it.
enum class MarkKind { Line0Scene, Line1Scene, PostEffect, MusicEnd };

struct Mark {
  u32 time = 0;
  MarkKind kind = MarkKind::Line0Scene;
};

// In window pixels, y down from the top-left corner.
struct Bar {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool contains(int x, int y) const { return width > 0 && x >= left && x < left + width && y >= top && y < top + height; }
};

// The bar for a window (viewport) of this size: MARGIN in from the sides and the bottom.
Bar layout(int windowWidth, int windowHeight);
// The time a horizontal position stands for, clamped to 0..showEnd.
u32 timeAt(const Bar& bar, int x, u32 showEnd);
// Where a time lies along the bar, as a fraction 0..1 of its width.
float fractionAt(u32 time, u32 showEnd);

}  // namespace devtimeline
