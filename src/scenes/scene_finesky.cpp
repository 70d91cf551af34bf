// The cloud sky sub-scene.
#include "scenes/scene_finesky.h"

#include "platform/gl.h"

#include "render/qel_render.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "scenes/scene_patterns.h"

namespace {
const char* const kCloudTextures[kCloudCount] = {"data\\texture\\cloud2.jpg", "data\\texture\\cloud3.jpg",
                                                 "data\\texture\\cloud4.jpg"};
}

CSceneQel_finesky::~CSceneQel_finesky() {
  for (resTexture*& pTexture : mpTextures) {
    releaseResource(pTexture);
  }
}

void CSceneQel_finesky::init(cQelRender*) {
  for (u32 i = 0; i < kCloudCount; ++i) {
    mpTextures[i] = static_cast<resTexture*>(resourceManager::mpThis->getResource(kCloudTextures[i], resTexture::DTI));
  }
  generateCloudField(mClouds, mpTextures);
  for (u32 i = 0; i < kCloudCount; ++i) {
    mCuts[i] = cloudCut(mClouds[i].pTexture);
  }
  mCloud.create("data\\shader\\particleCloudShader.fx");
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
}

void CSceneQel_finesky::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  if (pRender) {
    pRender->drawSceneByIndex(static_cast<u32>(getSceneIndex()), progress, frame);
  }
  const f32 eye[3] = {0.0f, 0.0f, 150.0f};
  const f32 centre[3] = {0.0f, 0.0f, 0.0f};
  setOwnCamera(frame, 45.0, 16.0 / 9.0, 1.0, 1000.0, eye, centre);
  glPushMatrix();
  drawClouds(mClouds, progress, mCuts);
  glPopMatrix();
}
