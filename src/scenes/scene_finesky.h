// CSceneQel_finesky: a bright sky — three soft clouds drifting across a fixed
// camera in front of the scene's own Qel models. Main thread.
#pragma once

#include "demo/scene_qel_default.h"
#include "scenes/particle_cloud.h"

class resTexture;

class CSceneQel_finesky : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_finesky, CSceneQelDefault)
 public:
  CSceneQel_finesky() = default;
  ~CSceneQel_finesky() override;

  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;

  const CloudRecord* getClouds() const { return mClouds; }

 private:
  resTexture* mpTextures[kCloudCount] = {};  // one reference each
  CParticleCloud mCloud;
  CloudRecord mClouds[kCloudCount] = {};
  CloudCut mCuts[kCloudCount];
};
