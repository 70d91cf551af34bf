// CSceneQel_lightballs: the light-balls burst — the Qel scene alone until 60 %,
// then the camera pulls back while 300 light balls fly out and four straps of
// coloured ribbons sweep past, everything fading out over the last tenth.
// Main thread.
#pragma once

#include <memory>

#include "demo/scene_qel_default.h"
#include "scenes/particle.h"
#include "scenes/strap.h"

inline constexpr u32 kLightballSystems = 3;
inline constexpr u32 kLightballCount = 300;
inline constexpr u32 kLightballStraps = 4;

// What the scene draws at its progress t.
struct LightballsTiming {
  f32 cameraMix;      // p: 0 until t = 0.6, then rising to 1 at t = 1
  bool drawsEffects;  // false up to t = 0.6
  f32 intensity;      // 0.4 at t = 0.6, 1 at t = 0.9, 0 at t = 1
};
LightballsTiming lightballsTiming(f32 t);

class CSceneQel_lightballs : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_lightballs, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;

  CParticle& getSystem(u32 index) { return mpParticles[index]; }
  const ParticleRecord* getRecords() const { return mRecords; }

 private:
  std::unique_ptr<CParticle[]> mpParticles;
  ParticleRecord mRecords[kLightballCount] = {};
  std::unique_ptr<CStrap[]> mpStraps;
};
