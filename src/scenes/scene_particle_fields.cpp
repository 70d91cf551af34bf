// Particle-field sub-scenes: their recipes and the alpha test each one draws with.
#include "scenes/scene_particle_fields.h"

#include <string>

#include "framework/critical_check.h"

ParticleFieldRecipe dustFieldRecipe() {
  return {{0.5, 0.5, 0.5}, {4.0, 4.0, 4.0}, {0.5, 0.5, 0.5}, {0.5, 0.5, 0.5}, {0.4f, 0.2f, 0.2f, 0.3f}, 10.0f};
}

ParticleFieldRecipe pipeFieldRecipe() {
  ParticleFieldRecipe recipe = dustFieldRecipe();
  const f32 colour[4] = {0.5f, 0.3f, 0.3f, 0.5f};
  for (int c = 0; c < 4; ++c) {
    recipe.colour[c] = colour[c];
  }
  return recipe;
}

ParticleFieldRecipe petalFieldRecipe(bool shiftedInZ) {
  // Petals start above the ground (y from 0) and drift down by 1.5 to 3 units.
  return {{0.5, 0.0, shiftedInZ ? 0.0 : 0.5},
          {12.0, 8.0, 12.0},
          {0.5, 2.0, 0.5},
          {2.0, 1.5, 2.0},
          {0.85f, 0.7f, 0.85f, 1.0f},
          32.0f};
}

void CSceneQelParticleField::initField(const ParticleFieldRecipe& recipe, const char* effectFile,
                                       const char* textureStem) {
  mpRecords = std::make_unique<ParticleRecord[]>(kParticleFieldSize);
  generateParticleField(recipe, mpRecords.get(), kParticleFieldSize);
  for (u32 s = 0; s < kParticleFieldSystems; ++s) {
    const std::string texture = std::string(textureStem) + std::to_string(s + 1) + ".bmp";
    mParticles[s].create(effectFile, texture.c_str());
  }
}

void CSceneQelParticleField::drawField(cQelRender* pRender, f32 progress, AlphaTestSpan span, f32 threshold,
                                       const FrameContext& frame) {
  drawUnderQelCamera(pRender, frame, static_cast<u32>(getSceneIndex()), progress, span, threshold, [&] {
    drawParticleSystems(mParticles, kParticleFieldSystems, mpRecords.get(), kParticleFieldSize, progress);
  });
}

void CSceneQel_dnabox::init(cQelRender*) {
  initField(dustFieldRecipe(), kPointSpriteEffectFile, "data//texture//tsubu");
}

void CSceneQel_dnabox::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  drawField(pRender, progress, AlphaTestSpan::effects, 0.001f, frame);
}

void CSceneQel_pipe1::init(cQelRender*) {
  initField(pipeFieldRecipe(), kPointSpriteEffectFile, "data//texture//tsubu");
}

void CSceneQel_pipe1::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  drawField(pRender, progress, AlphaTestSpan::effects, 0.001f, frame);
}

void CSceneQel_pipe2::init(cQelRender*) {
  initField(pipeFieldRecipe(), kPointSpriteEffectFile, "data//texture//tsubu");
}

void CSceneQel_pipe2::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  drawField(pRender, progress, AlphaTestSpan::effects, 0.001f, frame);
}

void CSceneQel_sakuraFar1::init(cQelRender*) {
  initField(petalFieldRecipe(false), kSakuraEffectFile, "data//texture//sakura");
}

void CSceneQel_sakuraFar1::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  drawField(pRender, progress, AlphaTestSpan::none, 0.0f, frame);
}

void CSceneQel_sakuraFar2::init(cQelRender*) {
  initField(petalFieldRecipe(true), kSakuraEffectFile, "data//texture//sakura");
}

void CSceneQel_sakuraFar2::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  drawField(pRender, progress, AlphaTestSpan::qelScene, 0.1f, frame);
}
