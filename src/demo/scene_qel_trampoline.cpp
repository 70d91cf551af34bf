// Sub-scene layout from the camera key times, and playback of the active child.
#include "demo/scene_qel_trampoline.h"

#include "platform/gl.h"

#include <cmath>
#include <cstdio>

#include "demo/qel_scene_factory.h"
#include "demo/scene_qel_default.h"
#include "framework/critical_check.h"
#include "render/qel_render.h"
#include "resource/qel_animation.h"
#include "resource/resource_manager.h"

CSceneQelTrampoline::CSceneQelTrampoline(const SceneDefInfo& row) : mRow(row) {
  setName(row.name);
  setTimeRange(0, 0);
  mpQEL = static_cast<resQEL*>(resourceManager::mpThis->getResource(row.name.c_str(), resQEL::DTI));
  if (!mpQEL) {
    std::fprintf(stderr, "orvane: %s: line %u: the animation %s cannot be loaded: it %s\n",
                 CQelSceneFactory::DEFINITION_FILE, row.fileLine, row.name.c_str(),
                 resourceManager::mpThis->lastFailure().c_str());
  }
  CRITICAL_CHECK(mpQEL, "");
  buildChildren();
  mWindowStart = 0;
  mWindowEnd = getEndTime();
}

void CSceneQelTrampoline::rebuildFromAnimation() {
  mChildren.clear();
  mpQelRender.reset();
  buildChildren();
  // The factory's rule: a row's window bound of 0 or less follows the scene.
  mWindowStart = mRow.windowStart > 0 ? static_cast<u32>(mRow.windowStart) : getStartTime();
  mWindowEnd = mRow.windowEnd > 0 ? static_cast<u32>(mRow.windowEnd) : getEndTime();
}

void CSceneQelTrampoline::buildChildren() {
  const QelAnimation* mpQel = mpQEL->mpQel.get();
  CRITICAL_CHECK(mpQel, "");

  f32 accumulated = 0.0f;
  for (std::size_t k = 0; k < mpQel->scenes.size(); ++k) {
    const QelScene& scene = mpQel->scenes[k];
    const std::string className = "CSceneQel_" + scene.name;
    const VellDTI* pRecord = VellDTI::search(className.c_str());
    VellObject* pCreated = pRecord ? pRecord->create() : new CSceneQelDefault;
    if (pCreated && !pCreated->isKindOf(CSceneQelDefault::DTI)) {
      // A class of that name that is no scene cannot drive one: draw by default.
      delete pCreated;
      pCreated = new CSceneQelDefault;
    }
    CSceneQelDefault* pObject = static_cast<CSceneQelDefault*>(pCreated);
    CRITICAL_CHECK(pObject, "");
    f32 duration = 0.0f;
    for (const QelObject& object : scene.objects) {
      if (object.mqoIndex != -1) continue;
      for (f32 time : object.tracks.times) {
        if (!std::isnan(time) && time > duration) duration = time;
      }
    }
    pObject->setName(scene.name);
    pObject->setSceneIndex(static_cast<s32>(k));
    pObject->setTimeRange(static_cast<u32>(accumulated * 1000.0f), static_cast<u32>((accumulated + duration) * 1000.0f));
    accumulated += duration;
    mChildren.emplace_back(pObject);
  }
  mpQelRender = std::make_unique<cQelRender>();
  CRITICAL_CHECK(mpQelRender, "");
  mpQelRender->setQel(mpQEL);
  for (auto& pChild : mChildren) pChild->init(mpQelRender.get());
  setTimeRange(0, static_cast<u32>(accumulated * 1000.0f));
}

CSceneQelTrampoline::~CSceneQelTrampoline() {
  mChildren.clear();
  mpQelRender.reset();
  releaseResource(mpQEL);
}

void CSceneQelTrampoline::onEnter() { glClearColor(0.0f, 0.0f, 0.0f, 1.0f); }

int CSceneQelTrampoline::findChild(u32 time) const {
  for (std::size_t i = 0; i < mChildren.size(); ++i) {
    if (mChildren[i]->getStartTime() <= time && time <= mChildren[i]->getEndTime()) return static_cast<int>(i);
  }
  return -1;
}

void CSceneQelTrampoline::draw(f32 progress, const FrameContext& frame) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const u32 time = static_cast<u32>(static_cast<f32>(getLength()) * progress);
  if (time < mWindowStart || time > mWindowEnd) {
    return;
  }
  const int index = findChild(time);
  if (index < 0) {
    return;
  }
  CSceneQelDefault& child = *mChildren[static_cast<std::size_t>(index)];
  const u32 span = child.getEndTime() - child.getStartTime();
  // A zero-length first child is shown at its start.
  const f32 q = span ? static_cast<f32>(time - child.getStartTime()) / static_cast<f32>(span) : 0.0f;
  cQelRender* pRender = mpQelRender.get();
  child.update(pRender, q);
  glPushMatrix();
  child.draw(pRender, q, frame);
  glPopMatrix();
  child.finish(pRender, q);
}

s32 CSceneQelTrampoline::hasContentAt(u32 time) const {
  s32 result = 0;
  for (const auto& pChild : mChildren) {
    if (pChild->getStartTime() <= time && time <= pChild->getEndTime()) {
      result = mpQelRender->getSceneObjectCount(pChild->getName().c_str());
    }
  }
  return result;
}

IScene::Piece CSceneQelTrampoline::pieceAt(u32 sceneTime) const {
  const int index = findChild(sceneTime);
  if (index < 0) return IScene::pieceAt(sceneTime);
  const CSceneQelDefault& child = *mChildren[static_cast<std::size_t>(index)];
  return {mName + ": " + child.getName(), getStartTime() + child.getStartTime(), getStartTime() + child.getEndTime()};
}

CSceneQelDefault* CSceneQelTrampoline::getNextChild(u32 time) const {
  const int index = findChild(time);
  if (index < 0 || static_cast<std::size_t>(index) + 1 >= mChildren.size()) return nullptr;
  return mChildren[static_cast<std::size_t>(index) + 1].get();
}

CSceneQelDefault* CSceneQelTrampoline::getPreviousChild(u32 time) const {
  const int index = findChild(time);
  if (index < 0) return nullptr;
  return mChildren[static_cast<std::size_t>(index == 0 ? 0 : index - 1)].get();
}
