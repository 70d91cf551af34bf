// CSceneQel_sakuraSaku: the cherry blossom opens — one strap of twenty ribbons
// tracing a five-petalled flower in front of the Qel scene. Main thread.
#pragma once

#include <memory>

#include "demo/scene_qel_default.h"
#include "scenes/strap.h"

class CSceneQel_sakuraSaku : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_sakuraSaku, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;

 private:
  std::unique_ptr<CStrap> mpStrap;
};
