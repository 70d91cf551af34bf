// CSceneQel_boxfloor1: the box floor whose first material shifts from green to
// red over the shot, through the Qel renderer's material override. Main thread.
#pragma once

#include "demo/scene_qel_default.h"

class CSceneQel_boxfloor1 : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_boxfloor1, CSceneQelDefault)
 public:
  // Finds the model whose file name contains "boxfloor.mqo"; fatal when none does.
  void init(cQelRender* pRender) override;
  void update(cQelRender* pRender, f32 progress) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;
  void finish(cQelRender* pRender, f32 progress) override;

  s32 getModelIndex() const { return mModelIndex; }

 private:
  s32 mModelIndex = 0;
  s32 mMaterialIndex = 0;
};
