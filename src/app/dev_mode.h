// CDevMode, author mode (--dev): pause, seeks and scene jumps from the keyboard,
// the on-screen overlay, hot reload of effect files and of the post-effect and
// effect-texture tables, and holding the last frame at the end. Main thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/file_watcher.h"
#include "demo/frame_observer.h"
#include "framework/types.h"
#include "platform/video.h"

class CDemoManager;

class CDevMode : public IFrameObserver {
 public:
  static constexpr u32 SMALL_STEP = 1000;   // Left / Right
  static constexpr u32 LARGE_STEP = 10000;  // Down / Up

  using MillisecondClock = std::function<u32()>;

  CDevMode(CDemoManager& demo, MillisecondClock clock, CFileWatcher::Reader reader = &CFileWatcher::readDataFile);

  // Takes over the demo manager's key handler and frame observer, holds the show
  // at its end and starts watching the loaded effects and the two tables.
  void install();
  void uninstall();

  void handleKey(platform::Key key);
  // Moves the demo (music and clock) to ms, clamped to the show; the scenes found
  // there are entered afresh on the next frame.
  void seek(s64 ms);
  void togglePause();
  // Every scene start on either line and the show's end, ascending, without repeats.
  std::vector<u32> sceneBoundaries() const;

  // Watches the effect files loaded so far (again after a table reload).
  void watchLoadedEffects();
  // Polls the watcher and reloads what changed.
  void pollFiles();
  // Reloads one data file from `content`: an effect, or one of the two tables.
  void reloadFile(const std::string& path, const std::string& content);
  // The failure of the last reload that did not work, per file; empty when all
  // watched files are in a working state.
  std::string reloadErrors() const;
  u32 getReloadCount() const { return mReloadCount; }

  std::vector<std::string> overlayLines(u32 time) const;

  void onFrameStart(u32 demoTime) override;
  void onFrameComposed(u32 demoTime) override;

 private:
  CDemoManager& mDemo;
  MillisecondClock mClock;
  CFileWatcher mWatcher;
  std::vector<std::pair<std::string, std::string>> mErrors;  // file, first error line
  u32 mReloadCount = 0;
  bool mHaveFrame = false;
  u32 mLastFrameStart = 0;
  u32 mFrameMilliseconds = 0;
};
