// The program's life in its fixed order: capability probe, settings, main window,
// swap interval, big-screen pause, services, the main loop, and the shutdown order.
#include "app/entry.h"

#include "platform/gl.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/bench_json.h"
#include "app/bench_plot.h"
#include "app/bench_scenes.h"
#include "app/command_line.h"
#include "app/dev_mode.h"
#include "app/display_aspect.h"
#include "app/effect_costs.h"
#include "app/frame_bench.h"
#include "app/frame_capture.h"
#include "app/frame_count.h"
#include "app/setup_dialog.h"
#include "app/setup_settings.h"
#include "app/soak_passes.h"
#include "app/startup_failure.h"
#include "app/window.h"
#include "demo/demo_manager.h"
#include "demo/qel_scene_factory.h"
#include "demo/scene.h"
#include "demo/scene_manager.h"
#include "demo/scene_qel_default.h"
#include "framework/critical_check.h"
#include "framework/data_folder.h"
#include "framework/shell_path.h"
#include "platform/display_restore.h"
#include "platform/gl_window.h"
#include "platform/process_memory.h"
#include "platform/quit_signals.h"
#include "platform/software_rasterizer.h"
#include "platform/video.h"
#include "platform/video_subsystem.h"
#include "render/frame_context.h"
#include "render/message_manager.h"
#include "resource/custom_texture_manager.h"
#include "resource/qel_animation.h"
#include "resource/res_shader.h"
#include "resource/resource_manager.h"
#include "resource/shader_manager.h"
#include "resource/texture_manager.h"
#include "screen/post_effect_manager.h"
#include "sound/demo_sound.h"
#include "sound/fixed_step_clock.h"
#include "sound/music_length.h"
#include "sound/sound.h"
#include "sound/sound_message.h"

namespace {

constexpr u32 BIG_SCREEN_PAUSE_MILLISECONDS = 3000;
constexpr float BIG_SCREEN_GAMMA = 1.2f;
// A capture shows its picture in the window four times a second: enough to watch
// it go, and at 1920x1080 not copying every frame to the window saves 6 % of its time.
constexpr u32 CAPTURE_PRESENT_INTERVAL_MS = 250;
// The music as a maker names it in a file manager.
constexpr const char* kMusicShownName = "data/air.ogg";

void presentFatalText(const char* text) { platform::showMessageBox("Orvane", text); }
std::atomic<bool> gInteractive{false};  // whether a fatal text is shown in a box too
void presentSoundMessage(const char* text) { platform::showMessageBox("", text); }

// A fatal stop on the main thread puts the display back here and goes on to
// the box; on another thread (the sound worker) the main thread does both, as
// SDL is called on the main thread only.
void fatalCleanup(const char* text) {
  if (platform::isMainThread()) {
    platform::restoreDisplayForExit();
    return;
  }
  const bool interactive = gInteractive.load();
  platform::endProcess(vell::kFatalExitStatus, interactive ? presentFatalText : nullptr, text);
}

// Proves that the card can run the show, with a throw-away 1 x 1 window.
void probeCapabilities() {
  {
    CWindowGL probe;
    if (probe.create("", 0, 0, 0, 1, 1) && probe.createGLContext(0)) {
      probe.makeCurrent();
    }
    platform::initGLFunctions();
  }
  const platform::GLCapabilities capabilities = platform::queryGLCapabilities();
  if (!capabilities.version20) {
    vell::fatalExit("This demo requires \"OpenGL 2.0\" but your graphics card doesn't seem to be supporting it.");
  }
  if (!capabilities.pointParameters || !capabilities.pointSprite) {
    vell::fatalExit("This demo requires \"point sprite\" but your graphics card doesn't seem to be supporting it.");
  }
}

// Pumps events for three seconds while a big screen settles; false when the
// viewer quit meanwhile.
bool bigScreenPause() {
  const u32 start = platform::ticks();
  while (platform::ticks() - start < BIG_SCREEN_PAUSE_MILLISECONDS) {
    platform::Event event;
    while (platform::pollEvent(event)) {
      if (event.type == platform::EventType::Quit || event.type == platform::EventType::WindowClose ||
          (event.type == platform::EventType::KeyDown && event.key == platform::Key::Escape)) {
        return false;
      }
    }
    platform::sleepMilliseconds(10);
  }
  return true;
}

// Opens a definition file in text mode and hands it to its reader; a file that
// does not open is skipped.
template <class Reader>
void readDefinitionFile(const char* dataPath, Reader reader) {
  std::FILE* file = std::fopen(paths::hostPath(dataPath).c_str(), "r");
  if (file) {
    reader(file);
    std::fclose(file);
  }
}

// The loading scene, when its class is registered, drawn once at progress 0 and
// then on every model loaded.
std::unique_ptr<CSceneQelDefault> createLoadingScene(CWindowGL& window) {
  const VellDTI* pRecord = VellDTI::search("CSceneQel_loader");
  if (!pRecord) {
    return nullptr;
  }
  VellObject* pRender = pRecord->create();
  if (pRender && !pRender->isKindOf(CSceneQelDefault::DTI)) {
    delete pRender;  // a class of that name that is no scene cannot draw the loading screen
    pRender = nullptr;
  }
  CRITICAL_CHECK(pRender, "loader class not found!");
  std::unique_ptr<CSceneQelDefault> pLoader(static_cast<CSceneQelDefault*>(pRender));
  pLoader->init(nullptr);
  CSceneQelDefault* pScene = pLoader.get();
  resourceManager::mpThis->setLoadingListener([pScene, &window](f32 progress) {
    pScene->update(nullptr, progress);
    pScene->draw(nullptr, progress, FrameContext{});
    pScene->finish(nullptr, progress);
    window.swapBuffers();
  });
  pLoader->update(nullptr, 0.0f);
  pLoader->draw(nullptr, 0.0f, FrameContext{});  // before any frame: no line, no jitter
  pLoader->finish(nullptr, 0.0f);
  window.swapBuffers();
  return pLoader;
}

void setRunState() {
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
}

// The summary, the costliest parts and the files asked for; false when a file
// cannot be written.
bool printBenchFigures(const FrameBench& bench, const EffectCosts* pEffects, const CommandLine& commandLine) {
  constexpr std::size_t COSTLIEST_SHOWN = 12;
  BenchFigures figures;
  figures.report = bench.report();
  figures.frameTimes = bench.samples().frameTimes;
  figures.frameMs = bench.samples().frameMs;
  double allMs = 0.0;
  for (double ms : figures.frameMs) allMs += ms;
  figures.parts = bench.costs().rows(allMs);
  std::fputs(FrameBench::format(figures.report).c_str(), stdout);
  std::fputs(BenchCosts::formatTable(figures.parts, COSTLIEST_SHOWN).c_str(), stdout);
  if (pEffects) std::fputs(EffectCosts::formatTable(pEffects->rows(allMs), COSTLIEST_SHOWN).c_str(), stdout);
  bool written = true;
  if (commandLine.benchPlot && !writeBenchPlot(*commandLine.benchPlot, figures)) {
    std::fprintf(stderr, "orvane: cannot write %s\n", commandLine.benchPlot->c_str());
    written = false;
  }
  if (commandLine.benchJson && !writeBenchJson(*commandLine.benchJson, figures)) {
    std::fprintf(stderr, "orvane: cannot write %s\n", commandLine.benchJson->c_str());
    written = false;
  }
  return written;
}

// Changes some of the demo manager's run options, keeping the others.
template <class Change>
void changeRunOptions(CDemoManager& demo, Change change) {
  RunOptions options = demo.getRunOptions();
  change(options);
  demo.setRunOptions(std::move(options));
}

// Everything before the window: the display, the signals and fatal presenters,
// a start past the music, the video subsystem and the card's capabilities.
// Gives the time start-up began and the music's length; the exit status when
// the run ends here.
std::optional<int> prepareProcess(const CommandLine& commandLine, std::chrono::steady_clock::time_point& startedAt,
                                  std::optional<u32>& musicMs) {
  // Before SDL starts: it would settle for an invisible window (and say
  // something about XDG_RUNTIME_DIR) where the viewer sees nothing.
  if (!commandLine.isOffline() && !platform::displayNamed()) {
    std::fputs("orvane: no display (DISPLAY and WAYLAND_DISPLAY are not set); "
               "to render without one use --capture DIR or --bench\n", stderr);
    return 2;
  }
  // Before SDL or any thread starts: every thread inherits the blocked signals.
  platform::installQuitSignals();
  vell::setFatalCleanup(fatalCleanup);
  if (commandLine.isInteractive()) {
    vell::setFatalPresenter(presentFatalText);
    gInteractive.store(true);
    sound::setMessagePresenter(presentSoundMessage);
    setStartupMessageBoxes(platform::showMessageBox);
  }
  startedAt = std::chrono::steady_clock::now();
  musicMs = sound::musicLengthMs(CSound::MUSIC_FILE_NAME);
  // The show ends with its music: a start past it is refused before anything
  // loads (the window, the models, the effects), like any other bad value.
  if (commandLine.startSeconds && musicMs && *commandLine.startSeconds * 1000.0 > *musicMs) {
    std::fprintf(stderr, "orvane: --start %g is past the end of the show: %s ends at %s (%.3f s)\n",
                 *commandLine.startSeconds, kMusicShownName, sound::minutesAndSeconds(*musicMs).c_str(),
                 *musicMs / 1000.0);
    return 2;
  }
  if (commandLine.isOffline() && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    // Offline runs need no display server: SDL renders through EGL instead.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
  }
  if (commandLine.dev) {
    // Author mode's frames met the threaded software rasterizer's fence race
    // within minutes; its makers want a tool that stays up more than a fast one.
    platform::keepSoftwareRasterizerOnDrawingThread();
  }
  if (!platform::initVideo()) {
    reportStartupFailure("Orvane", "No display can be opened.", platform::error());
    return 1;
  }
  probeCapabilities();
  return std::nullopt;
}

// Creates the main window as the settings ask and shows it; false, after saying
// why, when it cannot be opened.
bool openMainWindow(CWindowGL& window, const SetupSettings& settings, const CommandLine& commandLine) {
  bool created = false;
  if (settings.fullscreen) {
    created = window.createFullscreen(settings.width, settings.height, "Orvane", settings.fsaaSamples) &&
              window.changeToFullscreen();
    platform::showCursor(false);
  } else {
    // Offline runs read back the composed picture; the window's own multisample
    // buffer would add nothing there, and not every visual offers every count.
    created = window.createWindowed(settings.width, settings.height,
                                    commandLine.isOffline() ? 0 : settings.fsaaSamples);
    platform::showCursor(true);
    if (created && settings.alwaysOnTop) {
      window.setAlwaysOnTop(true);
    }
  }
  if (!created) {
    char text[160];
    std::snprintf(text, sizeof text, "Could not open a %dx%d %s window with %d anti-aliasing samples.",
                  settings.width, settings.height, settings.fullscreen ? "full-screen" : "windowed",
                  settings.fsaaSamples);
    reportStartupFailure("Orvane", text, platform::error());
    return false;
  }

  platform::setSwapInterval(settings.vsync ? 1 : 0);  // unsupported is not an error
  if (!commandLine.isOffline()) {
    window.show();
  }
  if (settings.fullscreen) {
    platform::showCursor(false);
  }
  return true;
}

// What a run holds from the window on, in the order it is made: what is left
// when start-up stops half-way goes in the reverse order.
struct ShowRun {
  std::unique_ptr<CWindowGL> window = std::make_unique<CWindowGL>();
  // However start-up ends, nobody may reach the window after it is gone.
  struct MainWindowRelease {
    ~MainWindowRelease() {
      demoManager().setWindow(nullptr);
      setMainWindow(nullptr);
    }
  } mainWindowRelease;
  u32 startMs = 0;
  CDemoSoundFixedStep* pFixedClock = nullptr;
  std::unique_ptr<CQelSceneFactory> pFactory;
  std::unique_ptr<CPostEffectManager> pPostEffects;
  std::unique_ptr<CSceneQelDefault> pLoader;
  std::vector<std::unique_ptr<CSceneManager>> sceneManagers;
  BenchSceneSet benchScenes;
  std::unique_ptr<FrameCapture> pCapture;
  std::unique_ptr<FrameBench> pBench;
  std::unique_ptr<EffectCosts> pEffectCosts;  // --bench-effects
  std::unique_ptr<CDevMode> pDevMode;
  std::unique_ptr<CSoakPasses> pSoak;
};

// Hands the window and the options to the demo manager and starts it (screens,
// effects, the music or the offline clock); false, after saying why, when the
// music cannot be played.
bool startDemo(ShowRun& show, const SetupSettings& settings, const CommandLine& commandLine) {
  const DisplayAspect aspect = decideDisplayAspect(settings);
  CDemoManager& demo = demoManager();
  demo.setWindow(show.window.get());
  // A borderless window that is not full screen is dragged by a click anywhere;
  // a full-screen one never moves.
  show.window->native().setDraggable(!show.window->isFullscreen());
  demo.setLowQuality(settings.lowQuality != 0);
  show.startMs = static_cast<u32>(commandLine.startSeconds.value_or(0.0) * 1000.0 + 0.5);
  changeRunOptions(demo, [&](RunOptions& options) { options.startTime = show.startMs; });
  if (commandLine.isOffline()) {
    auto pClock = std::make_unique<CDemoSoundFixedStep>(static_cast<u32>(commandLine.framesPerSecond.value_or(60)));
    show.pFixedClock = pClock.get();
    pClock->setFirstFrame(static_cast<u64>(commandLine.firstFrame.value_or(0)));
    demo.setDemoSound(std::move(pClock));
  }
  if (!demo.initialize(static_cast<u32>(settings.fsaaSamples), aspect.x, aspect.y)) {
    reportStartupFailure("Orvane", "The show cannot start: the music cannot be played (see the messages before).");
    return false;
  }
  show.window->saveGammaRamp();
  return true;
}

// A row's line effect, or null for "default"; one that cannot be loaded ends the run.
resShader* loadLineShader(const SceneDefInfo& info) {
  if (info.shader == "default") return nullptr;
  const std::string path = "data\\shader\\" + info.shader + ".fx";
  resShader* pShader = static_cast<resShader*>(resourceManager::mpThis->getResource(path.c_str(), resShader::DTI));
  if (!pShader) {
    std::fprintf(stderr, "orvane: %s: line %u: the line effect %s cannot be loaded: it %s\n",
                 CQelSceneFactory::DEFINITION_FILE, info.fileLine, path.c_str(),
                 resourceManager::mpThis->lastFailure().c_str());
  }
  CRITICAL_CHECK(pShader, "invalid shader.");
  return pShader;
}

// Reads the three tables and builds every row's scene with its line effect,
// under the loading scene.
void loadShow(ShowRun& show) {
  CDemoManager& demo = demoManager();
  // Definition files that do not open are skipped: no scenes, no post effects
  // or no extra effect textures respectively.
  show.pFactory = std::make_unique<CQelSceneFactory>();
  CQelSceneFactory& factory = *show.pFactory;
  readDefinitionFile(CQelSceneFactory::DEFINITION_FILE, [&](std::FILE* file) { factory.read(file); });
  show.pPostEffects = std::make_unique<CPostEffectManager>();
  CPostEffectManager& postEffects = *show.pPostEffects;
  readDefinitionFile(CPostEffectManager::DEFINITION_FILE, [&](std::FILE* file) { postEffects.loadDefinitions(file); });
  demo.setPostEffectManager(show.pPostEffects.get());
  readDefinitionFile(customTextureManager::DEFINITION_FILE,
                     [](std::FILE* file) { customTextureManager::mpThis->loadDefinitions(file); });
  setRunState();

  // The loading count, the loading scene, then every row's scene.
  for (u32 row = 0; row < factory.getDefinitionCount(); ++row) {
    resourceManager::mpThis->addPreload(factory.getDefinition(row).name.c_str());
  }
  if (factory.getDefinitionCount() > 0) {
    resourceManager::mpThis->preparePreload(resQEL::getModelCount);
  }
  show.pLoader = createLoadingScene(*show.window);
  for (u32 row = 0; row < factory.getDefinitionCount(); ++row) {
    const SceneDefInfo& info = factory.getDefinition(row);
    IScene* pScene = factory.createScene(row);
    pScene->setLineIndex(info.line);
    auto& pManager = show.sceneManagers.emplace_back(std::make_unique<CSceneManager>());
    pManager->addScene(pScene);
    demo.addSceneManager(info.line, pManager.get());
    demo.addLineShader(info.line, loadLineShader(info));
  }
  resourceManager::mpThis->setLoadingListener(nullptr);
}

// Whether the run plays frames: a start past the last scene is refused and a
// frame count only counts. Says what does not fit, counts the frames when asked,
// and otherwise warms the programs up and sets the picture's gamma and the frame limit.
bool prepareFrames(ShowRun& show, const SetupSettings& settings, const CommandLine& commandLine,
                   const std::optional<u32>& musicMs, bool& startsPastTheEnd) {
  CDemoManager& demo = demoManager();
  if (commandLine.benchScene) {
    show.benchScenes.addTo(demo);
  } else if (commandLine.isOffline() && show.pFactory->getDefinitionCount() == 0) {
    std::fprintf(stderr, "orvane: no scenes in %s: the show ends at once (--bench-scene adds built-in ones)\n",
                 CQelSceneFactory::DEFINITION_FILE);
  }
  if (musicMs && demo.getShowEndTime() > *musicMs) {
    std::fprintf(stderr, "orvane: the running order runs to %s but %s ends at %s\n",
                 sound::minutesAndSeconds(demo.getShowEndTime()).c_str(), kMusicShownName,
                 sound::minutesAndSeconds(*musicMs).c_str());
  }
  // A start past the last scene would show nothing (and once reached the
  // music's decoder with a position beyond its data): refuse it like any bad value.
  const u32 showEndMs = demo.getShowEndTime();
  startsPastTheEnd = commandLine.startSeconds && showEndMs > 0 && show.startMs > showEndMs;
  if (startsPastTheEnd) {
    std::fprintf(stderr, "orvane: --start %g is past the end of the show (%.3f s)\n", *commandLine.startSeconds,
                 showEndMs / 1000.0);
  }
  if (commandLine.frameCount && !startsPastTheEnd) {
    std::printf("%llu\n", static_cast<unsigned long long>(framesInRun(
                              show.startMs, showEndMs, static_cast<u32>(commandLine.framesPerSecond.value_or(60)))));
  }
  const bool runs = !startsPastTheEnd && !commandLine.frameCount;
  if (runs) demo.warmUp();
  if (settings.bigScreen && settings.fullscreen) {
    show.window->setGamma(BIG_SCREEN_GAMMA);
    const f32 gamma = show.window->getGamma();
    changeRunOptions(demo, [gamma](RunOptions& options) { options.pictureGamma = gamma; });
  } else if (settings.bigScreen && commandLine.isOffline()) {
    // A capture shows what the big screen would.
    changeRunOptions(demo, [](RunOptions& options) { options.pictureGamma = BIG_SCREEN_GAMMA; });
  }
  if (commandLine.frames) {
    changeRunOptions(demo, [&](RunOptions& options) { options.frameLimit = static_cast<u64>(*commandLine.frames); });
  }
  return runs;
}

// The capture or the bench watching the frames; false, after saying why, when
// the capture folder cannot be prepared.
bool attachFrameObserver(ShowRun& show, const SetupSettings& settings, const CommandLine& commandLine,
                         std::chrono::steady_clock::time_point startedAt) {
  CDemoManager& demo = demoManager();
  IFrameObserver* pObserver = nullptr;
  if (commandLine.captureTarget) {
    // The progress line counts down to the last frame: the frame limit or the show's end.
    u32 lastMs = demo.getShowEndTime();
    if (commandLine.frames && show.pFixedClock) {
      const u64 lastFrame = static_cast<u64>(commandLine.firstFrame.value_or(0) + *commandLine.frames);
      const u64 limitMs = show.startMs + lastFrame * 1000 / show.pFixedClock->getFramesPerSecond();
      lastMs = static_cast<u32>(std::min<u64>(lastMs, limitMs));
    }
    show.pCapture = std::make_unique<FrameCapture>(*commandLine.captureTarget, show.pFixedClock, settings.width,
                                                   settings.height, lastMs);
    show.pCapture->setFirstFrame(static_cast<u64>(commandLine.firstFrame.value_or(0)));
    show.pCapture->setVideoQuality(commandLine.videoQuality.value_or(platform::VideoQuality::Archive));
    if (!show.pCapture->prepare(CSound::MUSIC_FILE_NAME, show.startMs)) {
      std::fprintf(stderr, "orvane: %s\n", show.pCapture->error().c_str());
      return false;
    }
    pObserver = show.pCapture.get();
    // An encoder that gave up (a full disk) ends the run rather than drawing on for nothing.
    FrameCapture* pCapture = show.pCapture.get();
    changeRunOptions(demo, [pCapture](RunOptions& options) {
      options.timeWatcher = [pCapture](u32&) { return !pCapture->failed(); };
      options.presentIntervalMs = CAPTURE_PRESENT_INTERVAL_MS;
    });
  }
  if (commandLine.bench) {
    show.pBench = std::make_unique<FrameBench>(show.pFixedClock);
    show.pBench->setLoadSeconds(std::chrono::duration<double>(std::chrono::steady_clock::now() - startedAt).count());
    // With --capture the capture advances the clock and the bench times its frames, readback included.
    show.pBench->setComposedObserver(show.pCapture.get());
    pObserver = show.pBench.get();
    if (commandLine.benchEffects) show.pEffectCosts = std::make_unique<EffectCosts>();
  }
  if (pObserver) changeRunOptions(demo, [pObserver](RunOptions& options) { options.pObserver = pObserver; });
  return true;
}

// Author mode and the soak's passes, when asked for.
void attachRunHelpers(ShowRun& show, const CommandLine& commandLine, const std::optional<u32>& musicMs) {
  CDemoManager& demo = demoManager();
  if (commandLine.dev) {
    show.pDevMode = std::make_unique<CDevMode>(demo, &CDemoSoundREAL::systemMilliseconds);
    show.pDevMode->setMusicEnd(musicMs);
    show.pDevMode->install();
  }
  if (!commandLine.loopPasses) return;
  show.pSoak = std::make_unique<CSoakPasses>(
      static_cast<u32>(*commandLine.loopPasses), show.startMs, demo.getShowEndTime(),
      [] { return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count(); },
      [&demo] {
        auto* pMusic = dynamic_cast<CDemoSoundREAL*>(demo.getDemoSound());
        CSound* pSound = pMusic ? pMusic->getSound() : nullptr;
        return pSound && pSound->isPlaying() ? pSound->getPlayedMilliseconds() : -1.0;
      },
      &platform::residentBytes);
  CSoakPasses& soak = *show.pSoak;
  changeRunOptions(demo, [&demo, &soak](RunOptions& options) {
    options.timeWatcher = [&demo, &soak](u32& time) {
      IDemoSound* pSound = demo.getDemoSound();
      return !pSound || soak.onFrame(*pSound, time);
    };
  });
  show.pSoak->begin();
}

// Plays the frames (when the run plays any) and reports what the capture or
// the bench made of them; the exit status.
int playFrames(ShowRun& show, const CommandLine& commandLine, bool runs, bool startsPastTheEnd) {
  CDemoManager& demo = demoManager();
  platform::setQuitHandledByLoop(true);
  // Only the run's own passes are timed, not the warm-up's.
  shaderManager::mpThis->setPassObserver(show.pEffectCosts.get());
  int status = startsPastTheEnd ? 2 : runs ? demo.run() : 0;
  shaderManager::mpThis->setPassObserver(nullptr);
  changeRunOptions(demo, [](RunOptions& options) { options.timeWatcher = nullptr; });
  platform::setQuitHandledByLoop(false);
  if (show.pDevMode) show.pDevMode->uninstall();
  changeRunOptions(demo, [](RunOptions& options) { options.pObserver = nullptr; });
  if (show.pCapture) {
    if (!show.pCapture->finish()) {
      std::fprintf(stderr, "orvane: %s\n", show.pCapture->error().c_str());
      status = 1;
    } else {
      std::fprintf(stderr, "capture: %llu frames written to %s\n",
                   static_cast<unsigned long long>(show.pCapture->framesWritten()),
                   commandLine.captureTarget->c_str());
    }
  }
  if (show.pBench && !printBenchFigures(*show.pBench, show.pEffectCosts.get(), commandLine)) {
    status = 1;
  }
  if (show.pBench && show.pCapture) {
    std::fputs(show.pCapture->benchLines().c_str(), stdout);
  }
  return status;
}

// The shutdown order: the show's objects, the textures, the demo, the GL
// context, the window, the video subsystem.
void shutDownShow(ShowRun& show) {
  CDemoManager& demo = demoManager();
  show.window->restoreGammaRamp();
  show.pLoader.reset();
  show.sceneManagers.clear();
  demo.clearSceneManagers();
  show.pFactory.reset();
  demo.setPostEffectManager(nullptr);
  show.pPostEffects.reset();
  customTextureManager::mpThis->releaseTextures();
  messageManager::mpThis->deleteTextures();
  textureManager::mpThis->deleteAllTextures();
  demo.shutdown();
  shaderManager::mpThis->destroyContext();
  show.window.reset();
  platform::quitVideo();
}

int playShow(const CommandLine& commandLine) {
  std::chrono::steady_clock::time_point startedAt;
  std::optional<u32> musicMs;
  if (const std::optional<int> status = prepareProcess(commandLine, startedAt, musicMs)) return *status;

  // The initial record holds the defaults the dialog preselects from; the chosen
  // one is what the viewer ran with (or the defaults without a dialog).
  const SetupSettings initial;
  SetupSettings settings = initial;
  if (!commandLine.noDialog && !commandLine.isOffline()) {
    settings.bitsPerPixel = 0;
    if (runSetupDialog(initial, settings) != 1) {
      return 0;
    }
  }
  commandLine.applyTo(settings);

  ShowRun show;
  setMainWindow(show.window.get());
  if (!openMainWindow(*show.window, settings, commandLine)) return 1;
  if (settings.bigScreen && settings.fullscreen && !bigScreenPause()) {
    return 0;
  }
  shaderManager::mpThis->initialize();
  messageManager::mpThis->initialize();
  if (!startDemo(show, settings, commandLine)) return 1;
  loadShow(show);
  bool startsPastTheEnd = false;
  const bool runs = prepareFrames(show, settings, commandLine, musicMs, startsPastTheEnd);
  int status = 1;
  // A capture that cannot start (an encoder that cannot write) still gives the
  // loaded show back in order, as a played one does.
  if (!runs || attachFrameObserver(show, settings, commandLine, startedAt)) {
    attachRunHelpers(show, commandLine, musicMs);
    status = playFrames(show, commandLine, runs, startsPastTheEnd);
  }
  shutDownShow(show);
  return status;
}

}  // namespace

int orvaneMain(int argc, char** argv) { return orvaneMain(argc, argv, {}); }

int orvaneMain(int argc, char** argv, const ProgramPlaces& places) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const CommandLineResult parsed = parseCommandLine(arguments);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "orvane: %s\n%s", parsed.error.c_str(), usageText().c_str());
    return 2;
  }
  if (parsed.commandLine.help) {
    std::fputs(usageText().c_str(), stdout);
    return 0;
  }
  if (parsed.commandLine.version) {
    std::printf("orvane %s\n", ORVANE_VERSION);
    return 0;
  }
  CommandLine commandLine = parsed.commandLine;
  if (commandLine.captureTarget) {
    // The capture goes where the user said, seen from where the program started.
    std::error_code ignored;
    commandLine.captureTarget = std::filesystem::absolute(*commandLine.captureTarget, ignored).string();
  }
  for (std::optional<std::string>* pFile : {&commandLine.benchPlot, &commandLine.benchJson}) {
    if (*pFile) {
      std::error_code ignored;
      *pFile = std::filesystem::absolute(**pFile, ignored).string();
    }
  }
  std::vector<std::filesystem::path> folders;
  if (const auto chosen = chosenShowFolder(commandLine.showFolder, std::getenv("ORVANE_SHOW"))) {
    const std::string problem = showFolderProblem(*chosen);
    if (!problem.empty()) {
      std::fprintf(stderr, "orvane: %s\n", problem.c_str());
      return 2;
    }
    folders.push_back(*chosen);
  } else if (places.programFolder.empty() && places.installedFolder.empty() && places.workingFolder.empty()) {
    return playShow(commandLine);  // no places to search: the working folder as it is
  } else {
    folders = dataFolderCandidates(places.programFolder, places.installedFolder, places.workingFolder);
  }
  std::string problem;
  if (!enterDataFolder(folders, problem)) {
    std::fprintf(stderr, "orvane: %s\n", problem.c_str());
    return 1;
  }
  std::error_code ignored;
  const std::filesystem::path playing = std::filesystem::current_path(ignored);
  if (!isShippedShow(playing, places.programFolder, places.installedFolder)) {
    std::fprintf(stderr, "orvane: playing the show in %s\n", playing.c_str());
  }
  return playShow(commandLine);
}
