// Author mode's moves through the show: keys, seeks, pause, the timeline's
// marks and the pointer on its bar.
#include "app/dev_mode.h"

#include <algorithm>

#include "demo/demo_manager.h"
#include "demo/scene.h"
#include "demo/scene_manager.h"
#include "demo/scene_qel_default.h"
#include "demo/scene_qel_trampoline.h"
#include "screen/post_effect_manager.h"
#include "sound/demo_sound.h"

void CDevMode::handleKey(platform::Key key) {
  IDemoSound* pSound = mDemo.getDemoSound();
  if (!pSound) return;
  const s64 now = pSound->getTime();
  switch (key) {
    case platform::Key::Space:
      togglePause();
      break;
    case platform::Key::Left:
      seek(now - SMALL_STEP);
      break;
    case platform::Key::Right:
      seek(now + SMALL_STEP);
      break;
    case platform::Key::Down:
      seek(now - LARGE_STEP);
      break;
    case platform::Key::Up:
      seek(now + LARGE_STEP);
      break;
    case platform::Key::PageUp: {
      // Half a second of grace, so that repeated presses walk back scene by scene.
      const std::vector<u32> bounds = sceneBoundaries();
      s64 target = 0;
      for (const u32 bound : bounds) {
        if (static_cast<s64>(bound) + 500 < now) target = bound;
      }
      seek(target);
      break;
    }
    case platform::Key::PageDown: {
      const std::vector<u32> bounds = sceneBoundaries();
      for (const u32 bound : bounds) {
        if (static_cast<s64>(bound) > now) {
          seek(bound);
          break;
        }
      }
      break;
    }
    case platform::Key::Tab:
      mPanelShown = !mPanelShown;
      break;
    case platform::Key::Home:
      seek(0);
      if (!pSound->isPlaying()) pSound->play(pSound->getTime());
      break;
    default:
      break;
  }
}

void CDevMode::seek(s64 ms) {
  IDemoSound* pSound = mDemo.getDemoSound();
  if (!pSound) return;
  const s64 end = mDemo.getShowEndTime();
  pSound->seek(static_cast<u32>(std::clamp<s64>(ms, 0, end)));
  mDemo.forgetCurrentScenes();
}

void CDevMode::togglePause() {
  IDemoSound* pSound = mDemo.getDemoSound();
  if (!pSound) return;
  if (pSound->isPlaying()) {
    pSound->stop();
  } else {
    pSound->play(pSound->getTime());
  }
}

namespace {

// Where each scene of one line starts, the Qel scenes inside a row's window included.
void lineSceneStarts(const CDemoManager& demo, int line, std::vector<u32>& starts) {
  for (const CSceneManager* pManager : demo.getSceneManagers(line)) {
    if (!pManager) continue;
    for (const IScene* pScene : pManager->getScenes()) {
      if (!pScene) continue;
      const auto* pRow = dynamic_cast<const CSceneQelTrampoline*>(pScene);
      if (!pRow) {
        starts.push_back(pScene->getStartTime());
        continue;
      }
      // A row plays inside its window; each Qel scene starting there is a stop.
      const u32 start = pScene->getStartTime();
      starts.push_back(start + pRow->getWindowStart());
      for (const auto& pChild : pRow->getChildren()) {
        if (pChild->getStartTime() > pRow->getWindowStart() && pChild->getStartTime() <= pRow->getWindowEnd()) {
          starts.push_back(start + pChild->getStartTime());
        }
      }
    }
  }
}

}  // namespace

std::vector<u32> CDevMode::sceneBoundaries() const {
  std::vector<u32> bounds;
  for (int line = 0; line < CDemoManager::LINE_COUNT; ++line) lineSceneStarts(mDemo, line, bounds);
  bounds.push_back(mDemo.getShowEndTime());
  std::sort(bounds.begin(), bounds.end());
  bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
  return bounds;
}

std::vector<devtimeline::Mark> CDevMode::timelineMarks() const {
  std::vector<devtimeline::Mark> marks;
  for (int line = 0; line < CDemoManager::LINE_COUNT; ++line) {
    std::vector<u32> starts;
    lineSceneStarts(mDemo, line, starts);
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    for (const u32 start : starts) {
      marks.push_back({start, line == 0 ? devtimeline::MarkKind::Line0Scene : devtimeline::MarkKind::Line1Scene});
    }
  }
  if (const CPostEffectManager* pTable = mDemo.getPostEffectManager()) {
    for (u32 index = 0; index < pTable->getEntryCount(); ++index) {
      marks.push_back({pTable->getEntry(index).start, devtimeline::MarkKind::PostEffect});
    }
  }
  if (mMusicEnd && *mMusicEnd < mDemo.getShowEndTime()) marks.push_back({*mMusicEnd, devtimeline::MarkKind::MusicEnd});
  return marks;
}

void CDevMode::handlePointer(const platform::Event& event) {
  switch (event.type) {
    case platform::EventType::PointerDown:
      mDragging = mBar.contains(event.x, event.y);
      break;
    case platform::EventType::PointerDrag:
      break;
    default:
      mDragging = false;
      return;
  }
  if (mDragging) seek(devtimeline::timeAt(mBar, event.x, mDemo.getShowEndTime()));
}
