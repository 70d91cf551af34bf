// Author mode over the demo manager: taking over its keys and frames, and the
// overlay drawn after each composition. Seeks live in dev_navigation.cpp, hot
// reload in dev_reload.cpp.
#include "app/dev_mode.h"

#include <cstdio>

#include "app/dev_overlay.h"
#include "demo/demo_manager.h"
#include "demo/qel_scene_factory.h"
#include "demo/scene.h"
#include "demo/scene_manager.h"
#include "demo/scene_qel_default.h"
#include "demo/scene_qel_trampoline.h"
#include "framework/shell_path.h"
#include "resource/custom_texture_manager.h"
#include "resource/res_shader.h"
#include "screen/post_effect_manager.h"
#include "sound/demo_sound.h"

namespace {

std::string minutesSeconds(u32 ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u.%03u", ms / 60000, ms / 1000 % 60, ms % 1000);
  return text;
}

}  // namespace

CDevMode::CDevMode(CDemoManager& demo, MillisecondClock clock, CFileWatcher::Reader reader,
                   CFileWatcher::Stamp stamp)
    : mDemo(demo), mClock(std::move(clock)), mWatcher(std::move(reader), std::move(stamp)) {}

CDevMode::~CDevMode() { releaseRunningOrder(); }

void CDevMode::releaseRunningOrder() {
  if (!mpFactory) return;
  // The demo must not keep pointers into scenes about to go.
  mDemo.clearSceneManagers();
  mSceneManagers.clear();
  mpFactory.reset();
}

void CDevMode::install() {
  RunOptions options = mDemo.getRunOptions();
  options.keyHandler = [this](platform::Key key) { handleKey(key); };
  options.pointerHandler = [this](const platform::Event& event) { handlePointer(event); };
  options.pObserver = this;
  options.holdAtEnd = true;
  mDemo.setRunOptions(std::move(options));
  resShader::setBrokenFirstLoadIsFatal(false);  // nothing in author mode ends the run
  watchLoadedFiles();
  mWatcher.watch(CPostEffectManager::DEFINITION_FILE);
  mWatcher.watch(customTextureManager::DEFINITION_FILE);
  mWatcher.watch(CQelSceneFactory::DEFINITION_FILE);
}

void CDevMode::uninstall() {
  RunOptions options = mDemo.getRunOptions();
  options.keyHandler = nullptr;
  options.pointerHandler = nullptr;
  options.pObserver = nullptr;
  options.holdAtEnd = false;
  mDemo.setRunOptions(std::move(options));
  resShader::setBrokenFirstLoadIsFatal(true);
  releaseRunningOrder();
}
std::vector<std::string> CDevMode::overlayLines(u32 time) const {
  std::vector<std::string> lines;
  IDemoSound* pSound = mDemo.getDemoSound();
  const bool paused = pSound && !pSound->isPlaying();
  char text[160];
  std::snprintf(text, sizeof text, "TIME %s / %s%s   FRAME %u ms", minutesSeconds(time).c_str(),
                minutesSeconds(mDemo.getShowEndTime()).c_str(), paused ? "  PAUSED" : "", mFrameMilliseconds);
  lines.push_back(text);
  if (mMusicEnd && *mMusicEnd < mDemo.getShowEndTime()) {
    std::snprintf(text, sizeof text, "MUSIC ENDS %s: THE RUNNING ORDER GOES ON SILENT", minutesSeconds(*mMusicEnd).c_str());
    lines.push_back(text);
  }
  for (int line = 0; line < CDemoManager::LINE_COUNT; ++line) {
    const IScene* pScene = mDemo.getCurrentScene(line);
    const auto* pRow = dynamic_cast<const CSceneQelTrampoline*>(pScene);
    const u32 sceneTime = pScene && time > pScene->getStartTime() ? time - pScene->getStartTime() : 0;
    const CSceneQelDefault* pChild = pRow ? pRow->getChildAt(sceneTime) : nullptr;
    if (pChild) {
      // The Qel scene playing, as the author named it, and how far it has got.
      const u32 span = pChild->getEndTime() - pChild->getStartTime();
      const double progress = span ? static_cast<double>(sceneTime - pChild->getStartTime()) / span : 0.0;
      std::snprintf(text, sizeof text, "LINE %d %s %.0f %% (%s)", line, pChild->getName().c_str(), progress * 100.0,
                    paths::stripPath(pScene->getName()).c_str());
    } else if (pScene) {
      std::snprintf(text, sizeof text, "LINE %d %s %3.0f%%", line, pScene->getName().c_str(),
                    static_cast<double>(mDemo.getLineProgress(line)) * 100.0);
    } else {
      std::snprintf(text, sizeof text, "LINE %d -", line);
    }
    lines.push_back(text);
  }
  if (const CPostEffectManager* pTable = mDemo.getPostEffectManager()) {
    for (u32 index = 0; index < pTable->getEntryCount(); ++index) {
      if (!pTable->activeEffect(index, time)) continue;
      const PostEffectEntry& entry = pTable->getEntry(index);
      std::snprintf(text, sizeof text, "POST %s pass %d -> %d", entry.effectFile.c_str(), entry.pass, entry.bufferID);
      lines.push_back(text);
    }
  }
  for (const auto& entry : mErrors) {
    lines.push_back("RELOAD FAILED " + entry.second.substr(0, 150));
  }
  return lines;
}

void CDevMode::onFrameStart(u32 demoTime) {
  const u32 now = mClock();
  if (mHaveFrame) mFrameMilliseconds = now - mLastFrameStart;
  mHaveFrame = true;
  mLastFrameStart = now;
  const u32 reloads = mReloadCount;
  pollFiles();
  // Scenes were chosen before the reload: choose again, so this frame draws them.
  if (mReloadCount != reloads) mDemo.selectScenes(demoTime);
}

void CDevMode::onFrameComposed(u32 demoTime) {
  if (!mPanelShown) {
    mBar = {};  // a hidden bar takes no clicks
    return;
  }
  devoverlay::drawText(overlayLines(demoTime));
  mBar = devoverlay::drawTimeline(timelineMarks(), mDemo.getShowEndTime(), demoTime);
}
