// The display modes and the desktop size of the first display, as the video
// driver reports them. Initialises SDL's video subsystem for the query only.
// Does not: filter, sort or change modes.
#pragma once

#include <vector>

namespace platform {

struct DisplayModeInfo {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;   // colour bits as the driver counts them (24 for a 32-bit desktop)
  int bytesPerPixel = 0;
  int refreshRate = 0;
};

// Every mode of display 0 in the driver's order; empty when video is unavailable.
std::vector<DisplayModeInfo> enumerateDisplayModes();

// The mode of exactly width x height to switch to: of several, the first with
// the desktop's colour bits (the driver lists higher refresh rates first), else
// the first of that size; -1 when the display has no mode of that size.
int exactModeIndex(const std::vector<DisplayModeInfo>& modes, int width, int height, int desktopBitsPerPixel);

// The desktop's current size; false (and 0 x 0) when video is unavailable.
bool desktopResolution(int& width, int& height);

}  // namespace platform
