// IDrawable: what the scene renderer draws into a screen — anything that draws
// itself at a progress from 0 to 1 with what the frame hands down. The demo's
// scenes are drawables. Main thread.
#pragma once

#include "framework/types.h"

struct FrameContext;

class IDrawable {
 public:
  virtual ~IDrawable() = default;
  virtual void draw(f32 progress, const FrameContext& frame) = 0;
};
