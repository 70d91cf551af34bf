// IDrawable: what the scene renderer draws into a screen — anything that draws
// itself at a progress from 0 to 1. The demo's scenes are drawables. Main thread.
#pragma once

#include "framework/types.h"

class IDrawable {
 public:
  virtual ~IDrawable() = default;
  virtual void draw(f32 progress) = 0;
};
