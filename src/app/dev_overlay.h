// The author-mode overlay: lines of text drawn top-left over the finished picture
// with the message manager's glyph textures as alpha-blended quads. Main thread
// with the GL context current; restores the GL state it changes.
#pragma once

#include <string>
#include <vector>

#include "app/dev_timeline.h"
#include "framework/types.h"

namespace devoverlay {

// On-screen size of one character cell, in pixels, in a 1280 x 720 window.
constexpr int CELL_WIDTH = 12;
constexpr int CELL_HEIGHT = 20;
constexpr int MARGIN = 8;

// The panel keeps its share of the window: cells and margin are multiplied by
// this, the smaller of width / 1280 and height / 720, kept within 0.5 (still
// legible) and 4. A maker's small window keeps the picture mostly free; a 4K
// one gets text that can be read from the chair.
float panelScale(int viewportWidth, int viewportHeight);

// Draws `lines` into the current framebuffer over a translucent dark panel; the
// first line's top-left cell starts MARGIN pixels (scaled) in from the viewport's corner.
// Characters outside 7-bit ASCII show as '?'.
void drawText(const std::vector<std::string>& lines);

// Draws the timeline bar along the bottom of the current viewport: a dark track,
// a tick per mark (line 0 scenes white from the top, line 1 scenes amber from the
// bottom, post effects cyan through the middle, a music that ends before the
// running order magenta from top to bottom) and the time as a red cursor.
// Returns the bar it drew, in window pixels (y down), for pointer hits.
devtimeline::Bar drawTimeline(const std::vector<devtimeline::Mark>& marks, u32 showEnd, u32 time);

}  // namespace devoverlay
