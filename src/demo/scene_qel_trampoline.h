// CSceneQelTrampoline: the scene of one running-order row. It loads a Qel file and
// lays the file's scenes back to back as sub-scenes, each driven by the class
// "CSceneQel_" + its name (or drawn by default), and plays the active one.
#pragma once

#include <memory>
#include <vector>

#include "demo/scene.h"
#include "demo/scene_definitions.h"

class CSceneQelDefault;
class cQelRender;
class resQEL;

class CSceneQelTrampoline : public IScene {
 public:
  explicit CSceneQelTrampoline(const SceneDefInfo& row);
  ~CSceneQelTrampoline() override;

  void prepare() override {}
  void onEnter() override;
  void draw(f32 progress, const FrameContext& frame) override;
  void release() override {}
  s32 hasContentAt(u32 time) const override;
  Piece pieceAt(u32 sceneTime) const override;

  // Author mode, after its Qel file reloaded: the children and the renderer are
  // built afresh from the new animation; the row's play window is applied again.
  void rebuildFromAnimation();
  resQEL* getAnimation() const { return mpQEL; }
  // The child playing at a time of this scene, or null.
  const CSceneQelDefault* getChildAt(u32 time) const {
    const int index = findChild(time);
    return index < 0 ? nullptr : mChildren[static_cast<std::size_t>(index)].get();
  }

  CSceneQelDefault* getNextChild(u32 time) const;
  CSceneQelDefault* getPreviousChild(u32 time) const;
  const std::vector<std::unique_ptr<CSceneQelDefault>>& getChildren() const { return mChildren; }
  void setWindow(u32 start, u32 end) {
    mWindowStart = start;
    mWindowEnd = end;
  }
  u32 getWindowStart() const { return mWindowStart; }
  u32 getWindowEnd() const { return mWindowEnd; }
  cQelRender* getRenderer() const { return mpQelRender.get(); }

 private:
  int findChild(u32 time) const;
  void buildChildren();

  SceneDefInfo mRow;
  resQEL* mpQEL = nullptr;  // one reference
  std::unique_ptr<cQelRender> mpQelRender;
  std::vector<std::unique_ptr<CSceneQelDefault>> mChildren;
  u32 mWindowStart = 0;
  u32 mWindowEnd = 0;
};
