// CSceneManager: a group of scenes for the time lookup of one running-order row.
// Does not own its scenes.
#pragma once

#include <vector>

#include "demo/scene.h"

class CSceneManager {
 public:
  CSceneManager() = default;
  virtual ~CSceneManager() = default;

  void addScene(IScene* pScene) { mScenes.push_back(pScene); }
  // The first scene whose inclusive range holds the time, or null.
  IScene* getScene(u32 time) const;
  const std::vector<IScene*>& getScenes() const { return mScenes; }

 private:
  std::vector<IScene*> mScenes;  // borrowed
};
