// CSceneQel_start: the opening — the DNA box model turning two full turns under a
// fixed camera, wrapped in one white path line that turns with it. Main thread.
#pragma once

#include <memory>

#include "demo/scene_qel_default.h"
#include "scenes/strap_path.h"

class cMqoRender;
class resMQO;

inline constexpr const char* kStartModelFile = "data\\model\\boxdna\\boxdna_s_uv.mqo";

class CSceneQel_start : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_start, CSceneQelDefault)
 public:
  CSceneQel_start();
  ~CSceneQel_start() override;

  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;

  const CPass* getPath() const { return mpPass.get(); }

 private:
  std::unique_ptr<cMqoRender> mpMqoRender;
  resMQO* mpMQO = nullptr;  // one reference
  std::unique_ptr<CPass> mpPass;
};

// The model's turn about y at the progress, in degrees: two full turns over the span.
f32 startModelAngle(f32 progress);
