// CSceneQel_happa: leaves — three straps of twenty ribbons unfurling in blue,
// amber and violet around the scene's Qel models. Main thread.
#pragma once

#include <memory>

#include "demo/scene_qel_default.h"
#include "scenes/strap.h"

class CSceneQel_happa : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_happa, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;

 private:
  std::unique_ptr<CStrap> mpStraps[3];
};
