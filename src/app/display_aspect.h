// The display aspect ratio handed to the picture's letterbox: the chosen one in
// full screen; in a window the window's own ratio when it is one of the listed four.
#pragma once

#include "app/setup_settings.h"

struct DisplayAspect {
  int x = 16;
  int y = 9;
};

// The exact single-precision comparison matters: 1280 x 1024 is 5:4, 1024 x 600 is none.
DisplayAspect decideDisplayAspect(const SetupSettings& settings);
