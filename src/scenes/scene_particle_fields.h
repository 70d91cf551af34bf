// The sub-scenes whose effect is one particle field over their Qel scene and
// camera: the dust of dnabox and the pipes, and the far cherry petals.
// Main thread.
#pragma once

#include <memory>

#include "demo/scene_qel_default.h"
#include "scenes/particle_field.h"
#include "scenes/scene_patterns.h"

inline constexpr const char* kPointSpriteEffectFile = "data\\shader\\pointspriteShader.fx";
inline constexpr const char* kSakuraEffectFile = "data\\shader\\sakuraShader.fx";

// Four particle systems, one texture each, over a field of kParticleFieldSize records.
class CSceneQelParticleField : public CSceneQelDefault {
 public:
  const ParticleRecord* getRecords() const { return mpRecords.get(); }
  CParticle& getSystem(u32 index) { return mParticles[index]; }

 protected:
  // Scatters the field and loads the effect with textureStem + "1.bmp" ... "4.bmp".
  void initField(const ParticleFieldRecipe& recipe, const char* effectFile, const char* textureStem);
  void drawField(cQelRender* pRender, f32 progress, AlphaTestSpan span, f32 threshold, const FrameContext& frame);

  CParticle mParticles[kParticleFieldSystems];
  std::unique_ptr<ParticleRecord[]> mpRecords;
};

// The recipes, for the scenes and for tests that replay them.
ParticleFieldRecipe dustFieldRecipe();
ParticleFieldRecipe pipeFieldRecipe();
ParticleFieldRecipe petalFieldRecipe(bool shiftedInZ);

class CSceneQel_dnabox : public CSceneQelParticleField {
  VELL_CLASS(CSceneQel_dnabox, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;
};

class CSceneQel_pipe1 : public CSceneQelParticleField {
  VELL_CLASS(CSceneQel_pipe1, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;
};

// The second pipe shot: the first one's field and drawing.
class CSceneQel_pipe2 : public CSceneQelParticleField {
  VELL_CLASS(CSceneQel_pipe2, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;
};

class CSceneQel_sakuraFar1 : public CSceneQelParticleField {
  VELL_CLASS(CSceneQel_sakuraFar1, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;
};

class CSceneQel_sakuraFar2 : public CSceneQelParticleField {
  VELL_CLASS(CSceneQel_sakuraFar2, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;
};
