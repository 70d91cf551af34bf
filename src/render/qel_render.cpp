// Qel scene playback: camera, screen-fixed and invisible objects, per-object renderers.
#include "render/qel_render.h"

#include "platform/gl.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "framework/critical_check.h"
#include "render/camera_manager.h"
#include "render/frame_context.h"
#include "render/jittered_projection.h"
#include "render/light_manager.h"
#include "resource/qel_animation.h"
#include "resource/res_mqo.h"

namespace {
constexpr f64 kRadiansToDegrees = 180.0 / 3.141592025756836;

// The parsed animation of the bound resource; null when nothing is bound either.
const QelAnimation* parsedAnimation(const resQEL* pQel) { return pQel ? pQel->mpQel.get() : nullptr; }
}

cQelRender::~cQelRender() { releaseRenderers(); }

void cQelRender::setQel(resQEL* pQel) {
  CRITICAL_CHECK(pQel, "");
  mpQel = pQel;
  {
    const QelAnimation* mpQel = parsedAnimation(this->mpQel);
    CRITICAL_CHECK(mpQel, "");
  }
  releaseRenderers();
  for (const QelScene& scene : mpQel->getScenes()) {
    std::vector<std::unique_ptr<cMqoRender>>& sceneRenderers = renderers.emplace_back();
    for (const QelObject& object : scene.objects) {
      auto pRenderer = std::make_unique<cMqoRender>();
      pRenderer->setModel(object.mqo, &object.tracks);
      sceneRenderers.push_back(std::move(pRenderer));
    }
  }
}

void cQelRender::releaseRenderers() { renderers.clear(); }

f32 cQelRender::getSceneTime(u32 sceneIndex) const {
  f32 time = 0.0f;
  for (const QelObject& object : mpQel->getScene(sceneIndex).objects) {
    if (object.mqoIndex == -1 && !object.tracks.times.empty() && object.tracks.times.back() > time) {
      time = object.tracks.times.back();
    }
  }
  return time;
}

void cQelRender::applyCamera(u32 sceneIndex, f32 time, const FrameContext& frame) {
  const QelScene& scene = mpQel->getScene(sceneIndex);
  if (scene.objects.empty()) {
    return;
  }
  const QelTrackSet& tracks = scene.objects[0].tracks;
  const QelKey eye = tracks.evaluate("camera_pos", time);
  const QelKey lookAt = tracks.evaluate("camera_lookat", time);
  const f64 fovy = eye.rotation[1] * kRadiansToDegrees + 30.0;
  const f64 half = fovy * std::numbers::pi / 180.0 * 0.5;
  const f64 top = 0.1 / (std::cos(half) / std::sin(half));
  const f64 right = top * 1.7777777910232544;
  jitteredFrustum(frame, -right, right, -top, top, 0.1, 150.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotated(eye.rotation[2] * kRadiansToDegrees, 0.0, 0.0, 1.0);
  gluLookAt(eye.position[0], eye.position[1], -eye.position[2], lookAt.position[0], lookAt.position[1],
            -lookAt.position[2], 0.0, 1.0, 0.0);
  for (int axis = 0; axis < 3; ++axis) {
    cameraManager::mpThis->mEyePos[axis] = eye.position[axis];
    lightManager::mpThis->mLightPos[axis] = -eye.position[axis];
  }
}

void cQelRender::setCamera(u32 sceneIndex, f32 progress, const FrameContext& frame) {
  {
    const QelAnimation* mpQel = parsedAnimation(this->mpQel);
    CRITICAL_CHECK(mpQel, "");
  }
  applyCamera(sceneIndex, getSceneTime(sceneIndex) * progress, frame);
}

void cQelRender::drawSceneByName(const char* name, f32 progress, const FrameContext& frame) {
  {
    const QelAnimation* mpQel = parsedAnimation(this->mpQel);
    CRITICAL_CHECK(mpQel, "");
  }
  CRITICAL_CHECK(mpQel->getSceneNum()>0, "");
  bool isFound = false;
  u32 index = 0;
  const std::vector<QelScene>& scenes = mpQel->getScenes();
  for (; index < scenes.size(); ++index) {
    if (scenes[index].name == name) {
      isFound = true;
      break;
    }
  }
  CRITICAL_CHECK(isFound, "scene name not found.");
  drawSceneByIndex(index, progress, frame);
}

const MqoMaterial& cQelRender::setModelMaterial(const MqoMaterial* pMaterial, u32 mqoIndex, u32 materialIndex) {
  return mpQel->setModelMaterial(pMaterial, mqoIndex, materialIndex);
}

void cQelRender::drawScene(u32 sn, f32 progress, s32 withCamera, const FrameContext& frame) {
  {
    const QelAnimation* mpQel = parsedAnimation(this->mpQel);
    CRITICAL_CHECK(mpQel, "");
  }
  CRITICAL_CHECK(sn<mpQel->getSceneNum(), "");
  const f32 time = getSceneTime(sn) * progress;
  if (withCamera == 1) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    applyCamera(sn, time, frame);
  }
  const QelScene& scene = mpQel->getScene(sn);
  for (std::size_t i = withCamera == 1 ? 1 : 0; i < scene.objects.size(); ++i) {
    const QelObject& object = scene.objects[i];
    if (!object.mqo) {
      continue;
    }
    if (object.cameraTrans == 0) {
      glPushMatrix();
      glLoadIdentity();
      gluLookAt(0.0, 0.0, -1.0, 0.0, 0.0, 1.0, 0.0, 1.0, 0.0);
      const f32 eye[3] = {0.0f, 0.0f, -1.0f};
      const f32 light[3] = {0.0f, 1000.0f, 1000.0f};
      std::memcpy(cameraManager::mpThis->mEyePos, eye, sizeof eye);
      std::memcpy(lightManager::mpThis->mLightPos, light, sizeof light);
    }
    if (object.visible == 1) {
      if (object.cameraTrans == 0) glDisable(GL_DEPTH_TEST);
      if (object.cameraTrans != 0 || withCamera != 0) renderers[sn][i]->draw(time, frame);
      if (object.cameraTrans == 0) glEnable(GL_DEPTH_TEST);
    }
    if (object.cameraTrans == 0) {
      glPopMatrix();
    }
  }
  if (withCamera == 1) {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
  }
}

s32 cQelRender::getSceneObjectCount(const char* name) const {
  if (!mpQel || !mpQel->mpQel) {
    return 0;
  }
  for (const QelScene& scene : mpQel->getScenes()) {
    if (scene.name == name) {
      return static_cast<s32>(scene.objects.size()) - 1;
    }
  }
  return 0;
}
