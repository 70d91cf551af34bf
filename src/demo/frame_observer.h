// IFrameObserver: lets offline runs look into the frame cycle — the end of each
// stage (for timing) and the composed picture before the swap (for capture).
#pragma once

#include "framework/types.h"

enum class FrameStage { Scenes, PostEffects, Composition };

class IFrameObserver {
 public:
  virtual ~IFrameObserver() = default;
  // The frame is about to measure its stages: each stage ends with onStageEnd.
  virtual void onFrameStart(u32 /*demoTime*/) {}
  virtual void onStageEnd(FrameStage /*stage*/) {}
  // The picture is complete in the back buffer; the swap follows.
  virtual void onFrameComposed(u32 /*demoTime*/) {}
  // The frame has been swapped to the window.
  virtual void onFrameEnd() {}
};
