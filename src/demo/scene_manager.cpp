// Time lookup over a list of scenes.
#include "demo/scene_manager.h"

IScene* CSceneManager::getScene(u32 time) const {
  for (IScene* pScene : mScenes) {
    if (pScene && pScene->getStartTime() <= time && time <= pScene->getEndTime()) {
      return pScene;
    }
  }
  return nullptr;
}
