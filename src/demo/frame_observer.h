// IFrameObserver: lets offline runs look into the frame cycle — the end of each
// stage (for timing) and the composed picture before the swap (for capture).
#pragma once

#include <string>

#include "framework/types.h"

enum class FrameStage { Scenes, PostEffects, Composition };

// One piece of a frame that a bench can charge time to: a scene drawn on a line,
// or one post-effect entry run (its effect file and time window).
struct FramePart {
  enum class Kind { Scene, PostEffect };
  Kind kind = Kind::Scene;
  const std::string* pName = nullptr;  // the scene's name or the entry's effect file; valid during the call
  u32 start = 0;
  u32 end = 0;
  s32 line = -1;   // the scene's line; -1 for a post-effect entry
  s32 entry = -1;  // the entry's place in the post-effect table; -1 for a scene
};

class IFrameObserver {
 public:
  virtual ~IFrameObserver() = default;
  // The frame is about to measure its stages: each stage ends with onStageEnd.
  virtual void onFrameStart(u32 /*demoTime*/) {}
  virtual void onStageEnd(FrameStage /*stage*/) {}
  // A part of the current stage is done; parts follow each other inside a stage.
  virtual void onPartEnd(const FramePart& /*part*/) {}
  // The picture is complete in the back buffer; the swap follows.
  virtual void onFrameComposed(u32 /*demoTime*/) {}
  // The frame has been swapped to the window.
  virtual void onFrameEnd() {}
};
