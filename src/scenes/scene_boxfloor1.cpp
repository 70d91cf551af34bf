// The colour-shifting box floor.
#include "scenes/scene_boxfloor1.h"

#include "framework/critical_check.h"
#include "render/qel_render.h"
#include "resource/mqo_model.h"
#include "resource/qel_animation.h"

void CSceneQel_boxfloor1::init(cQelRender* pRender) {
  CRITICAL_CHECK(pRender, "the scene needs its Qel renderer");
  resQEL* pQel = pRender->getQel();
  CRITICAL_CHECK(pQel, "");
  // The animation's own lookup stops with the scene's message when no model matches.
  mModelIndex = static_cast<s32>(pQel->getModelIndex("boxfloor.mqo"));
  mMaterialIndex = 0;
}

void CSceneQel_boxfloor1::update(cQelRender* pRender, f32 progress) {
  MqoMaterial material = pRender->setModelMaterial(nullptr, static_cast<u32>(mModelIndex),
                                                   static_cast<u32>(mMaterialIndex));
  material.col = {progress, 1.0f - progress, 0.0f, 0.7f};
  pRender->setModelMaterial(&material, static_cast<u32>(mModelIndex), static_cast<u32>(mMaterialIndex));
}

void CSceneQel_boxfloor1::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  pRender->drawSceneByIndex(static_cast<u32>(getSceneIndex()), progress, frame);
}

void CSceneQel_boxfloor1::finish(cQelRender* pRender, f32) {
  pRender->setModelMaterial(nullptr, static_cast<u32>(mModelIndex), static_cast<u32>(mMaterialIndex));
}
