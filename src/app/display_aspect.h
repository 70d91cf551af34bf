// The display aspect ratio handed to the picture's letterbox: the chosen one in
// full screen; in a window the window's own ratio when it is one of the listed four.
#pragma once

#include "app/setup_settings.h"

struct AspectRatio {
  int x = 16;
  int y = 9;
};

// The exact single-precision comparison matters: 1280 x 1024 is 5:4, 1024 x 600 is none.
AspectRatio listedAspectOf(int width, int height, AspectRatio fallback);
AspectRatio decideDisplayAspect(const SetupSettings& settings);
