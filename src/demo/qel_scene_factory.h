// CQelSceneFactory: reads the running order and builds, on request, the scene of
// each row (a trampoline over the row's Qel file with the row's play window).
// Owns every scene it built. Main thread.
#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include "demo/scene.h"
#include "demo/scene_definitions.h"
#include "framework/types.h"


class CQelSceneFactory {
 public:
  static constexpr const char* DEFINITION_FILE = "data\\definition\\sceneLineDefine.txt";

  CQelSceneFactory() = default;
  virtual ~CQelSceneFactory();

  // Reads every row of an open text file; a highest line that is not below the
  // number of rows is fatal. Always true.
  bool read(std::FILE* file);
  // The same for rows already read, so that their messages are said once.
  bool read(const std::vector<SceneDefInfo>& rows);
  u32 getDefinitionCount() const { return static_cast<u32>(mVecSceneDefInfos.size()); }
  const SceneDefInfo& getDefinition(u32 index) const { return mVecSceneDefInfos[index]; }
  IScene* createScene(u32 index);
  s32 getMaxLine() const { return mMaxLine; }

 private:
  std::vector<std::unique_ptr<IScene>> mScenes;
  std::vector<SceneDefInfo> mVecSceneDefInfos;
  s32 mMaxLine = 0;
};
