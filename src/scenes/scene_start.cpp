// The opening shot and its path: a helix of one and a half turns around the model.
#include "scenes/scene_start.h"

#include "platform/gl.h"

#include "framework/critical_check.h"
#include "render/light_manager.h"
#include "render/mqo_render.h"
#include "resource/res_mqo.h"
#include "resource/resource_manager.h"
#include "scenes/scene_patterns.h"

namespace {

const StrapPoint kStartPath[12] = {
    {1.9000f, -2.0000f, 0.0000f, 0.0000f},
    {1.2442f, -1.6364f, 1.4359f, 0.0909f},
    {-0.2704f, -1.2727f, 1.8807f, 0.1818f},
    {-1.5984f, -0.9091f, 1.0272f, 0.2727f},
    {-1.8230f, -0.5455f, -0.5353f, 0.3636f},
    {-0.7893f, -0.1818f, -1.7283f, 0.4545f},
    {0.7893f, 0.1818f, -1.7283f, 0.5455f},
    {1.8230f, 0.5455f, -0.5353f, 0.6364f},
    {1.5984f, 0.9091f, 1.0272f, 0.7273f},
    {0.2704f, 1.2727f, 1.8807f, 0.8182f},
    {-1.2442f, 1.6364f, 1.4359f, 0.9091f},
    {-1.9000f, 2.0000f, 0.0000f, 1.0000f},
};

}  // namespace

f32 startModelAngle(f32 progress) { return progress * 720.0f; }

CSceneQel_start::CSceneQel_start() = default;

CSceneQel_start::~CSceneQel_start() {
  mpMqoRender.reset();
  releaseResource(mpMQO);
}

void CSceneQel_start::init(cQelRender*) {
  mpMQO = static_cast<resMQO*>(resourceManager::mpThis->getResource(kStartModelFile, resMQO::DTI));
  CRITICAL_CHECK(mpMQO, "can't read boxdna_s_uv.mqo.");
  mpMqoRender = std::make_unique<cMqoRender>();
  CRITICAL_CHECK(mpMqoRender, "can't create MQORenderer.");
  mpMqoRender->setModel(mpMQO, nullptr);
  mpPass = std::make_unique<CPass>();
  mpPass->buildPath(kStartPath, 12, 0.0f, 0.001f);
}

void CSceneQel_start::draw(cQelRender*, f32 progress, const FrameContext& frame) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const f32 eye[3] = {0.0f, 0.0f, 10.0f};
  const f32 centre[3] = {0.0f, 0.0f, 0.0f};
  setOwnCamera(frame, 30.0, 1.3333333730697632, 0.1, 150.0, eye, centre);
  const f32 light[3] = {-1000.0f, 1000.0f, 0.0f};
  for (int axis = 0; axis < 3; ++axis) {
    lightManager::mpThis->mLightPos[axis] = light[axis];
  }
  glPushMatrix();
  glRotatef(startModelAngle(progress), 0.0f, 1.0f, 0.0f);
  mpMqoRender->draw(progress, frame);
  const PathSample* pSamples = mpPass->getSamples();
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glBegin(GL_LINE_STRIP);
  for (s32 i = 0; i < mpPass->getSampleCount(); ++i) {
    glVertex3fv(pSamples[i].data());
  }
  glEnd();
  glPopMatrix();
}
