// IScene: what the demo manager schedules on a line — a named, inclusive range of
// demo milliseconds that draws itself at a progress from 0 to 1. Main thread only.
#pragma once

#include <string>

#include "framework/types.h"
#include "screen/drawable.h"

class IScene : public IDrawable {
 public:
  IScene() = default;
  ~IScene() override = default;

  virtual void prepare() = 0;
  // Called when the scene becomes a line's current scene.
  virtual void onEnter() = 0;
  void draw(f32 progress, const FrameContext& frame) override = 0;
  virtual void release() = 0;

  virtual u32 getStartTime() const { return mStartTime; }
  virtual u32 getEndTime() const { return mEndTime; }
  virtual u32 getLength() const { return mEndTime - mStartTime; }
  // Non-zero when the scene shows something at this time (line 1 hides otherwise).
  virtual s32 hasContentAt(u32 /*time*/) const { return 0; }
  // The piece playing at a time of this scene, named and placed in demo time for a
  // bench to charge: the whole scene unless the scene plays pieces of its own.
  struct Piece {
    std::string name;
    u32 start = 0;
    u32 end = 0;
  };
  virtual Piece pieceAt(u32 /*sceneTime*/) const { return {mName, getStartTime(), getEndTime()}; }

  const std::string& getName() const { return mName; }
  void setName(std::string name) { mName = std::move(name); }
  void setTimeRange(u32 startTime, u32 endTime) {
    mStartTime = startTime;
    mEndTime = endTime;
  }
  s32 getLineIndex() const { return mLineIndex; }
  void setLineIndex(s32 lineIndex) { mLineIndex = lineIndex; }

 protected:
  std::string mName;
  u32 mStartTime = 0;
  u32 mEndTime = 0;
  s32 mLineIndex = 0;
};
