// CDemoManager: the process-wide object that owns the main loop and the frame
// cycle, and performs the 3-second exit fade. Main (user-interface) thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "framework/singleton.h"
#include "framework/types.h"

class CWindowGL;
class IFrameObserver;
class CSceneManager;
class IDemoSound;
class IScene;

class CDemoManager : public Singleton<CDemoManager> {
 public:
  static constexpr u32 FADE_MILLISECONDS = 3000;

  CDemoManager();
  ~CDemoManager() override;

  // Takes the main window and starts the demo sound (the music, unless a clock
  // was given with setDemoSound). False when the music cannot be opened.
  bool initialize(u32 fsaaSamples, s32 aspectX, s32 aspectY);
  // Replaces the demo sound (a fixed-step clock for capture and bench runs, or
  // a fake in tests); initialize then keeps it.
  void setDemoSound(std::unique_ptr<IDemoSound> pSound);
  IDemoSound* getDemoSound() { return mpSound.get(); }
  // Stops and destroys the demo sound while the platform is still up.
  void releaseDemoSound();
  // Where the music starts, in milliseconds.
  void setStartTime(u32 milliseconds) { mStartTime = milliseconds; }

  // The main loop: drains events without waiting and renders whenever the queue
  // is empty. Returns the process exit status.
  int run();
  // One frame; false when the show is over.
  bool runFrame(bool ending);
  // Draws the frame into the back buffer without swapping.
  void renderFrame();
  // One step of the exit fade; false once it has finished.
  bool fadeOut();
  // Forgets a fade in progress (each run starts without one).
  void resetFade() { mFadeStarted = false; }

  static constexpr int LINE_COUNT = 2;

  // Picks each line's scene at the demo time, calling onEnter when a line's scene
  // changes name; line 1 is hidden while its scene has no content. False when
  // neither line has a scene: the show is over.
  bool selectScenes(u32 time);
  IScene* getCurrentScene(int line) const { return mpCurrentScene[line]; }
  void addSceneManager(int line, CSceneManager* pManager) { mLineManagers[line].push_back(pManager); }
  void clearSceneManagers();

  void setWindow(CWindowGL* pWindow) { mpWindow = pWindow; }
  void setLowQuality(bool lowQuality) { mLowQuality = lowQuality ? 1 : 0; }
  bool isLowQuality() const { return mLowQuality != 0; }
  s32 getAspectX() const { return mAspectX; }
  s32 getAspectY() const { return mAspectY; }

  // Offline runs watch the frame cycle through this (not owned; null for none).
  void setFrameObserver(IFrameObserver* pObserver) { mpObserver = pObserver; }
  // The last millisecond any line has a scene (0 without scenes).
  u32 getShowEndTime() const;

  // Ends the loop with status 0 after this many frames (0 = no limit).
  void setFrameLimit(u64 frames) { mFrameLimit = frames; }
  u64 getFrameCount() const { return mFrameCount; }
  // The millisecond clock the fade reads; tests replace it.
  void setMillisecondClock(std::function<u32()> clock) { mClock = std::move(clock); }

 private:
  CWindowGL* mpWindow = nullptr;  // borrowed: the main window
  std::unique_ptr<IDemoSound> mpSound;
  IFrameObserver* mpObserver = nullptr;  // borrowed
  u32 mStartTime = 0;
  std::vector<CSceneManager*> mLineManagers[LINE_COUNT];  // borrowed: the entry owns them
  IScene* mpCurrentScene[LINE_COUNT] = {};
  u32 mFsaaSamples = 0;
  s32 mAspectX = 16;
  s32 mAspectY = 9;
  u8 mLowQuality = 0;

  bool mFadeStarted = false;
  u32 mFadeStart = 0;
  u64 mFrameLimit = 0;
  u64 mFrameCount = 0;
  std::function<u32()> mClock;
};

// The one demo manager of the process.
CDemoManager& demoManager();
