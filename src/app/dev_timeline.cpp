// Timeline geometry: the bar's left edge is the show's start, its right edge the end.
#include "app/dev_timeline.h"

#include <algorithm>

namespace devtimeline {

Bar layout(int windowWidth, int windowHeight) {
  Bar bar;
  bar.left = MARGIN;
  bar.width = std::max(0, windowWidth - 2 * MARGIN);
  bar.height = HEIGHT;
  bar.top = windowHeight - MARGIN - HEIGHT;
  return bar;
}

u32 timeAt(const Bar& bar, int x, u32 showEnd) {
  if (bar.width <= 1) return 0;
  const double fraction = std::clamp(static_cast<double>(x - bar.left) / (bar.width - 1), 0.0, 1.0);
  return static_cast<u32>(fraction * showEnd + 0.5);
}

float fractionAt(u32 time, u32 showEnd) {
  if (showEnd == 0) return 0.0f;
  return static_cast<float>(std::min(time, showEnd)) / static_cast<float>(showEnd);
}

}  // namespace devtimeline
