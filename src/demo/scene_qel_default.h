// CSceneQelDefault: the base of every sub-scene that a Qel scene drives. Concrete
// scenes are found by the class name "CSceneQel_" + the Qel scene's name; this
// base only draws the Qel scene of its name. Main thread.
#pragma once

#include <string>

#include "framework/types.h"
#include "framework/vell_object.h"

class cQelRender;
struct FrameContext;

class CSceneQelDefault : public VellObject {
  VELL_CLASS(CSceneQelDefault, VellObject)
 public:
  CSceneQelDefault() = default;
  ~CSceneQelDefault() override = default;

  virtual s32 getSceneIndex() const { return mSceneIndex; }
  // Called once, right after the renderer exists (null for the loading scene).
  virtual void init(cQelRender* /*pRender*/) {}
  virtual void update(cQelRender* /*pRender*/, f32 /*progress*/) {}
  // By default draws the Qel scene of this name at the progress.
  virtual void draw(cQelRender* pRender, f32 progress, const FrameContext& frame);
  virtual void finish(cQelRender* /*pRender*/, f32 /*progress*/) {}

  const std::string& getName() const { return mName; }
  void setName(std::string name) { mName = std::move(name); }
  u32 getStartTime() const { return mStartTime; }
  u32 getEndTime() const { return mEndTime; }
  void setTimeRange(u32 start, u32 end) {
    mStartTime = start;
    mEndTime = end;
  }
  void setSceneIndex(s32 index) { mSceneIndex = index; }

 private:
  std::string mName;
  u32 mStartTime = 0;
  u32 mEndTime = 0;
  s32 mSceneIndex = 0;
};
