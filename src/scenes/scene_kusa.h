// CSceneQel_kusa: grass — fireflies (512 glowing sprites in two systems) rising
// over the Qel scene, with three straps of blades swaying up through them.
// Main thread.
#pragma once

#include <memory>

#include "demo/scene_qel_default.h"
#include "scenes/particle.h"
#include "scenes/strap.h"

inline constexpr u32 kKusaParticleCount = 512;

class CSceneQel_kusa : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_kusa, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;

  const ParticleRecord* getRecords() const { return mRecords; }

 private:
  CParticle mParticles[2];
  ParticleRecord mRecords[kKusaParticleCount] = {};
  std::unique_ptr<CStrap[]> mpStraps;
};

// Scatters the firefly records: a position, a small drift and a size per record.
void generateKusaParticles(ParticleRecord* pRecords, u32 count);
