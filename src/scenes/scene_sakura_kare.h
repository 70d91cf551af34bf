// CSceneQel_SakuraKare: the cherry tree withers — five straps of dusky ribbons
// spiral down from the branches to the ground. Main thread.
#pragma once

#include <memory>

#include "demo/scene_qel_default.h"
#include "scenes/strap.h"

class CSceneQel_SakuraKare : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_SakuraKare, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;

 private:
  std::unique_ptr<CStrap[]> mpStraps;
};
