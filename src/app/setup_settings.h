// SetupSettings: the display settings record. The entry fills the initial record
// with the defaults, the setup dialog preselects from it and writes the chosen one.
#pragma once

#include "framework/types.h"

struct SetupSettings {
  s32 width = 800;
  s32 height = 600;
  s32 bitsPerPixel = 32;  // only modes of this depth are offered; the chosen record leaves it 0
  s32 aspectX = 16;
  s32 aspectY = 9;
  u8 fullscreen = 1;
  u8 vsync = 1;
  s32 fsaaSamples = 0;  // 0, 2, 4 or 8
  u8 alwaysOnTop = 0;   // windowed only
  u8 bigScreen = 0;     // full screen only: 3 s pause and gamma 1.2
  u8 lowQuality = 0;
};
