// CDevMode, author mode (--dev): pause, seeks and scene jumps from the keyboard,
// the on-screen overlay with its timeline, hot reload of every loaded file (effects,
// models, animations, textures) and of the three tables, and holding the last
// frame at the end. Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dev_timeline.h"
#include "app/file_watcher.h"
#include "demo/frame_observer.h"
#include "framework/types.h"
#include "platform/video.h"

class CDemoManager;
class CQelSceneFactory;
class CSceneManager;
class resTexture;
class resourceObject;

class CDevMode : public IFrameObserver {
 public:
  static constexpr u32 SMALL_STEP = 1000;   // Left / Right
  static constexpr u32 LARGE_STEP = 10000;  // Down / Up

  using MillisecondClock = std::function<u32()>;

  CDevMode(CDemoManager& demo, MillisecondClock clock, CFileWatcher::Reader reader = &CFileWatcher::readDataFile,
           CFileWatcher::Stamp stamp = &CFileWatcher::dataFileStamp);
  ~CDevMode() override;

  // Takes over the demo manager's key handler and frame observer, holds the show
  // at its end and starts watching the loaded files and the three tables.
  void install();
  void uninstall();

  // Where the music ends. A running order that goes on past it is shown on the
  // panel and the timeline: the picture goes on there without sound.
  void setMusicEnd(std::optional<u32> ms) { mMusicEnd = ms; }
  void handleKey(platform::Key key);
  // Tab hides the panel and the timeline, so the picture can be seen whole, and shows them again.
  bool isPanelShown() const { return mPanelShown; }
  // A press on the timeline bar, and every drag until the release, seeks to the
  // time under the pointer; presses elsewhere are ignored.
  void handlePointer(const platform::Event& event);
  // The marks on the timeline: each line's scene starts (as sceneBoundaries, by
  // line) and each post-effect entry's start.
  std::vector<devtimeline::Mark> timelineMarks() const;
  // The bar as last drawn (empty before the first frame draws it).
  const devtimeline::Bar& getTimelineBar() const { return mBar; }
  void setTimelineBar(const devtimeline::Bar& bar) { mBar = bar; }
  // Moves the demo (music and clock) to ms, clamped to the show; the scenes found
  // there are entered afresh on the next frame.
  void seek(s64 ms);
  void togglePause();
  // Every scene start on either line, the scenes inside each line's Qel file
  // included, and the show's end, ascending, without repeats.
  std::vector<u32> sceneBoundaries() const;

  // Watches every file loaded so far (again after each reload).
  void watchLoadedFiles();
  // Polls the watcher and reloads what changed.
  void pollFiles();
  // Reloads one data file from `content` (a loaded file, or one of the three
  // tables) and says so on standard error: "orvane: reloaded PATH" or
  // "orvane: reload failed PATH:LINE: problem". A failed reload keeps the old version.
  void reloadFile(const std::string& path, const std::string& content);
  // The failure of the last reload that did not work, per file; empty when all
  // watched files are in a working state.
  std::string reloadErrors() const;
  u32 getReloadCount() const { return mReloadCount; }

  std::vector<std::string> overlayLines(u32 time) const;

  void onFrameStart(u32 demoTime) override;
  void onFrameComposed(u32 demoTime) override;

 private:
  bool reloadResource(resourceObject* pResource, const std::string& content, std::string& error);
  // Rebuilds the scenes playing this animation file (after it reloaded).
  void rebuildScenesOf(const resourceObject* pAnimation);
  // After a model reloaded: the animations moving it, and their scenes.
  void reloadAnimationsOf(const resourceObject* pModel);
  // After a texture reloaded at another padded size: the models drawing with it.
  void recompileModelsUsing(const resTexture* pTexture);
  bool reloadRunningOrder(const std::string& content, std::string& error);
  void releaseRunningOrder();

  CDemoManager& mDemo;
  MillisecondClock mClock;
  CFileWatcher mWatcher;
  std::vector<std::pair<std::string, std::string>> mErrors;  // file, first error line
  u32 mReloadCount = 0;
  bool mHaveFrame = false;
  u32 mLastFrameStart = 0;
  u32 mFrameMilliseconds = 0;
  devtimeline::Bar mBar;
  bool mDragging = false;
  bool mPanelShown = true;
  std::optional<u32> mMusicEnd;
  // A running order read again replaces the one the entry built (which stays
  // with the entry, unused).
  std::unique_ptr<CQelSceneFactory> mpFactory;
  std::vector<std::unique_ptr<CSceneManager>> mSceneManagers;
};
