// The built-in scene set of --bench-scene: two procedural scenes (a lit field of
// turning cubes on line 0, glowing rings on line 1) that need no data files, so
// capture and bench runs have something to draw before the show's content exists.
#pragma once

#include <memory>
#include <vector>

#include "framework/types.h"

class CDemoManager;
class CSceneManager;
class IScene;

class BenchSceneSet {
 public:
  // How long the built-in show lasts.
  static constexpr u32 LENGTH_MS = 30000;

  BenchSceneSet();
  ~BenchSceneSet();
  BenchSceneSet(const BenchSceneSet&) = delete;
  BenchSceneSet& operator=(const BenchSceneSet&) = delete;

  // Puts one scene on each line of the demo manager (no line shaders).
  void addTo(CDemoManager& demo);
  IScene* getScene(int line) const { return mScenes[static_cast<std::size_t>(line)].get(); }

 private:
  std::vector<std::unique_ptr<IScene>> mScenes;
  std::vector<std::unique_ptr<CSceneManager>> mManagers;
};
