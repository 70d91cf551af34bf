// IFrameTarget: where the demo manager's frames go, handed down by whoever owns
// the window: the size every screen is made at, and the call that shows a
// finished frame. Main thread only.
#pragma once

#include "framework/types.h"

class IFrameTarget {
 public:
  virtual ~IFrameTarget() = default;
  virtual u32 getFrameWidth() const = 0;
  virtual u32 getFrameHeight() const = 0;
  virtual void presentFrame() = 0;
};
