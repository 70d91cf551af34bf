// CDemoManager: the process-wide object that turns the music's clock into pictures —
// the screens, the two lines with their scene managers and line shaders, the demo
// sound and the frame cycle (the post-effect stage and the picture's finish have
// their own files). Main (user-interface) thread only.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "framework/singleton.h"
#include "framework/types.h"
#include "platform/video.h"
#include "demo/frame_finish.h"

class CPostEffectManager;
class CPostEffectStage;
class CSceneManager;
class CSceneScreen;
class IFrameTarget;
class IDemoSound;
class IFrameObserver;
class IScene;
class resShader;
struct ScreenFormat;

// Our own options of a run, beside what the demo manager's operations take.
// A default record is a plain interactive run.
struct RunOptions {
  // Where the music starts, in milliseconds.
  u32 startTime = 0;
  // Ends the loop with status 0 after this many frames (0 = no limit).
  u64 frameLimit = 0;
  // Offline runs watch the frame cycle through this (not owned; null for none).
  IFrameObserver* pObserver = nullptr;
  // Author mode: keys other than Escape go to this handler (null: ignored), and
  // the show holds at its last millisecond, paused, instead of ending.
  std::function<void(platform::Key)> keyHandler;
  bool holdAtEnd = false;
  // Author mode: pointer presses, drags and releases go to this handler (null: ignored).
  std::function<void(const platform::Event&)> pointerHandler;
  // Sees every frame's time before the scenes are chosen (author mode's hold
  // included). It may move the demo sound's clock, writing the new time back
  // (the soak's next pass); false ends the show.
  std::function<bool(u32& time)> timeWatcher;
  // The millisecond clock the fade reads (null: the platform's); tests replace it.
  std::function<u32()> clock;
  // Big screen: the gamma ramp's curve (1.0 = none) put on every composed frame,
  // after the fade, so the picture itself is brighter on any display and in
  // captures, and the desktop's ramp stays as it was.
  f32 pictureGamma = 1.0f;
  // Shows a frame in the window only when this many milliseconds of the clock
  // above have passed since the last one shown (0: every frame). A capture reads
  // its frames back before they would be shown, so a few a second are progress
  // enough, and each one not shown spares copying the picture to the window.
  u32 presentIntervalMs = 0;
};

class CDemoManager : public Singleton<CDemoManager> {
 public:
  static constexpr u32 FADE_MILLISECONDS = ExitFade::MILLISECONDS;
  static constexpr int LINE_COUNT = 2;
  static constexpr int WORK_SCREEN_COUNT = 4;
  static constexpr const char* FINAL_EFFECT = "data\\shader\\finalScreenShader.fx";
  static constexpr const char* DEFAULT_EFFECT = "data\\shader\\effectSample.fx";

  CDemoManager();
  ~CDemoManager() override;

  // Takes the frame target's size, creates the screens, loads the final and default
  // effects, prepares the scene renderer and starts the demo sound (the music,
  // unless a clock was given with setDemoSound). False, with a message, when the
  // music cannot be opened or the sample count has no jitter table.
  bool initialize(u32 fsaaSamples, s32 aspectX, s32 aspectY);
  // Releases screens, effects, line shaders and the demo sound while the GL
  // context and the platform are still up.
  void shutdown();

  // The main loop: drains events without waiting and renders whenever the queue
  // is empty. Returns the process exit status.
  int run();
  // One frame; false when the show is over.
  bool runFrame(bool ending);
  // One step of the exit fade; false once it has finished.
  bool fadeOut();
  // The run's clock: its own when it has one, else the platform's ticks.
  u32 clockMs() const;
  // Whether this frame goes to the window, by the run's present interval.
  bool isTimeToPresent();

  // Picks each line's scene at the demo time, calling onEnter when a line's scene
  // changes name; line 1 is hidden while its scene has no content. False when
  // neither line has a scene: the show is over.
  bool selectScenes(u32 time);
  IScene* getCurrentScene(int line) const { return mpCurrentScene[line]; }
  void addSceneManager(int line, CSceneManager* pManager) { mLineManagers[line].push_back(pManager); }
  // A line's shader (null for none), held with one reference until shutdown.
  void addLineShader(int line, resShader* pShader) { mLineShaders[line].push_back(pShader); }
  void clearSceneManagers();
  // Gives back the line shaders' references (a running order read again adds its own).
  void clearLineShaders();
  const std::vector<CSceneManager*>& getSceneManagers(int line) const { return mLineManagers[line]; }
  // Forgets each line's current scene, so the next frame enters the scene it
  // finds there afresh (author-mode seeks).
  void forgetCurrentScenes() {
    for (IScene*& pScene : mpCurrentScene) pScene = nullptr;
  }
  // The last millisecond any line has a scene (0 without scenes).
  u32 getShowEndTime() const;

  void setPostEffectManager(CPostEffectManager* pManager) { mpPeManager = pManager; }
  CPostEffectManager* getPostEffectManager() const { return mpPeManager; }
  // The entry hands in the main window; null draws at 1x1 and shows nothing.
  void setWindow(IFrameTarget* pWindow) { mpWindow = pWindow; }
  void setLowQuality(bool lowQuality) { mLowQuality = lowQuality ? 1 : 0; }
  bool isLowQuality() const { return mLowQuality != 0; }
  s32 getAspectX() const { return mAspectX; }
  s32 getAspectY() const { return mAspectY; }
  f32 getScreenScaleU() const { return mScreenScaleU; }
  f32 getScreenScaleV() const { return mScreenScaleV; }
  f32 getLineProgress(int line) const { return mLineProgress[line]; }
  CSceneScreen* getSourceScreen(int line) const { return mpSourceScreen[line].get(); }
  CSceneScreen* getWorkScreen(int index) const { return mpWorkScreen[index].get(); }
  CSceneScreen* getCompositeScreen() const { return mpCompositeScreen.get(); }

  // Replaces the demo sound (a fixed-step clock for capture and bench runs, or
  // a fake in tests); initialize then keeps it.
  void setDemoSound(std::unique_ptr<IDemoSound> pSound);
  IDemoSound* getDemoSound() { return mpSound.get(); }
  // The options of the next run and of the frames from now on.
  void setRunOptions(RunOptions options);
  const RunOptions& getRunOptions() const { return mOptions; }
  // Frames shown by the run in progress or the last one.
  u64 getFrameCount() const { return mFrameCount; }

  // Draws, outside the frame observer and inside a one-pixel scissor, a frame at
  // the start, middle and end of every scene (each sub-scene of a Qel scene) and
  // at the start of every post-effect entry, so the driver has built the code of
  // every program in every state the show draws it with before the first frame,
  // wherever the run starts or seeks to. The next frame enters its scenes afresh.
  void warmUp();

 private:
  friend class CPostEffectStage;

  void renderScenes(u32 time);
  void releaseDemoSound();
  // While a line renders: that line's shader, which model drawing uses instead
  // of each material's own effect (handed down in the frame's context); null otherwise.
  void setCurrentLineShader(resShader* pShader) { mpCurrentLineShader = pShader; }
  // The storage of the work and composite screens.
  ScreenFormat pictureScreenFormat() const;

  IFrameTarget* mpWindow = nullptr;  // borrowed: the main window
  std::unique_ptr<IDemoSound> mpSound;
  std::vector<CSceneManager*> mLineManagers[LINE_COUNT];  // borrowed: the entry owns them
  std::unique_ptr<CSceneScreen> mpSourceScreen[LINE_COUNT];
  IScene* mpCurrentScene[LINE_COUNT] = {};
  std::unique_ptr<CSceneScreen> mpWorkScreen[WORK_SCREEN_COUNT];
  u32 mWorkDivisor[WORK_SCREEN_COUNT] = {1, 1, 1, 1};  // each is 1/N of the window
  std::unique_ptr<CSceneScreen> mpMultisampleScreen;
  resShader* mpDefaultEffect = nullptr;  // one reference
  u32 mFsaaSamples = 0;
  CPostEffectManager* mpPeManager = nullptr;  // borrowed: the entry owns it
  std::vector<resShader*> mLineShaders[LINE_COUNT];  // one reference each
  resShader* mpCurrentLineShader = nullptr;          // borrowed from mLineShaders while a line renders
  std::unique_ptr<CSceneScreen> mpCompositeScreen;
  resShader* mpFinalEffect = nullptr;  // one reference
  s32 mAspectX = 16;
  s32 mAspectY = 9;
  f32 mScreenScaleU = 1.0f;
  f32 mScreenScaleV = 1.0f;
  u8 mLowQuality = 0;
  f32 mLineProgress[LINE_COUNT] = {};
  u32 mWidth = 0;
  u32 mHeight = 0;

  RunOptions mOptions;
  u64 mFrameCount = 0;
  std::optional<u32> mLastPresentMs;  // this run's last frame shown in the window
  std::unique_ptr<CPostEffectStage> mpPostEffectStage;
  ExitFade mFade;
  PictureGamma mGamma;
};

// The one demo manager of the process.
CDemoManager& demoManager();
