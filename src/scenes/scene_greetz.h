// CSceneQel_greetz: the greetings — the scene's own Qel text under one strap of
// ten blue ribbons drawn with the strap effect's second pass. Main thread.
#pragma once

#include <memory>

#include "demo/scene_qel_default.h"
#include "scenes/strap.h"

class CSceneQel_greetz : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_greetz, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;

  CStrap* getStrap() const { return mpStrap.get(); }

 private:
  std::unique_ptr<CStrap> mpStrap;
};
