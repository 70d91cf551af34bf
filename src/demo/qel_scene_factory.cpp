// Running order to scenes.
#include "demo/qel_scene_factory.h"

#include <algorithm>
#include <cstdio>

#include "demo/scene_qel_trampoline.h"
#include "framework/critical_check.h"

CQelSceneFactory::~CQelSceneFactory() = default;

bool CQelSceneFactory::read(std::FILE* file) {
  return read(readSceneDefinitions(file, DEFINITION_FILE));
}

bool CQelSceneFactory::read(const std::vector<SceneDefInfo>& rows) {
  mVecSceneDefInfos.insert(mVecSceneDefInfos.end(), rows.begin(), rows.end());
  for (const SceneDefInfo& info : mVecSceneDefInfos) {
    mMaxLine = std::max(mMaxLine, info.line + 1);
  }
  if (mMaxLine - 1 >= static_cast<s32>(mVecSceneDefInfos.size())) {
    // The format numbers lines from 0 and gives each line at least one row.
    const auto highest = std::find_if(mVecSceneDefInfos.begin(), mVecSceneDefInfos.end(),
                                      [this](const SceneDefInfo& info) { return info.line == mMaxLine - 1; });
    std::fprintf(stderr, "orvane: %s: line %u: the row is on line %d, but %zu row(s) can fill only lines 0 to %zu\n",
                 DEFINITION_FILE, highest->fileLine, highest->line, mVecSceneDefInfos.size(),
                 mVecSceneDefInfos.size() - 1);
  }
  CRITICAL_CHECK(mMaxLine-1<static_cast<s32>(mVecSceneDefInfos.size()), "invalid format.");
  return true;
}

IScene* CQelSceneFactory::createScene(u32 index) {
  if (mVecSceneDefInfos.empty() || index >= mVecSceneDefInfos.size()) {
    return nullptr;
  }
  const SceneDefInfo& info = mVecSceneDefInfos[index];
  auto pScene = std::make_unique<CSceneQelTrampoline>(info);
  const u32 start = info.windowStart > 0 ? static_cast<u32>(info.windowStart) : pScene->getStartTime();
  const u32 end = info.windowEnd > 0 ? static_cast<u32>(info.windowEnd) : pScene->getEndTime();
  pScene->setWindow(start, end);
  mScenes.push_back(std::move(pScene));
  return mScenes.back().get();
}
