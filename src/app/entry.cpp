// The program's life in its fixed order: capability probe, settings, main window,
// swap interval, big-screen pause, services, the main loop, and the shutdown order.
#include "app/entry.h"

#include <GL/glew.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/display_aspect.h"
#include "app/frame_bench.h"
#include "app/frame_capture.h"
#include "app/setup_dialog.h"
#include "app/setup_settings.h"
#include "app/window.h"
#include "demo/demo_manager.h"
#include "framework/critical_check.h"
#include "platform/gl_window.h"
#include "platform/video.h"
#include "render/custom_texture_manager.h"
#include "render/message_manager.h"
#include "render/texture_manager.h"
#include "sound/fixed_step_clock.h"
#include "sound/sound.h"
#include "sound/sound_message.h"

namespace {

constexpr u32 BIG_SCREEN_PAUSE_MILLISECONDS = 3000;
constexpr float BIG_SCREEN_GAMMA = 1.2f;

void presentFatalText(const char* text) { platform::showMessageBox("Orvane", text); }
void presentSoundMessage(const char* text) { platform::showMessageBox("", text); }

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

void setRunState() {
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
}

int playShow(const CommandLine& commandLine) {
  if (commandLine.isInteractive()) {
    vell::setFatalPresenter(presentFatalText);
    sound::setMessagePresenter(presentSoundMessage);
  }
  const auto startedAt = std::chrono::steady_clock::now();
  if (commandLine.isOffline() && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    // Offline runs need no display server: SDL renders through EGL instead.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
  }
  if (!platform::initVideo()) {
    std::fprintf(stderr, "orvane: no display can be opened: %s\n", platform::error().c_str());
    return 1;
  }
  probeCapabilities();

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

  auto window = std::make_unique<CWindowGL>();
  setMainWindow(window.get());
  // However start-up ends, nobody may reach the window after it is gone.
  struct MainWindowRelease {
    ~MainWindowRelease() {
      demoManager().setWindow(nullptr);
      setMainWindow(nullptr);
    }
  } mainWindowRelease;
  bool created = false;
  if (settings.fullscreen) {
    created = window->createFullscreen(settings.width, settings.height, "Orvane", settings.fsaaSamples) &&
              window->changeToFullscreen();
    platform::showCursor(false);
  } else {
    created = window->createWindowed(settings.width, settings.height, settings.fsaaSamples);
    platform::showCursor(true);
    if (created && settings.alwaysOnTop) {
      window->setAlwaysOnTop(true);
    }
  }
  if (!created) {
    std::fprintf(stderr, "orvane: could not open a %dx%d %s window with %d anti-aliasing samples: %s\n",
                 settings.width, settings.height, settings.fullscreen ? "full-screen" : "windowed",
                 settings.fsaaSamples, platform::error().c_str());
    return 1;
  }

  platform::setSwapInterval(settings.vsync ? 1 : 0);  // unsupported is not an error
  if (!commandLine.isOffline()) {
    window->show();
  }
  if (settings.fullscreen) {
    platform::showCursor(false);
  }
  if (settings.bigScreen && settings.fullscreen && !bigScreenPause()) {
    return 0;
  }

  messageManager::mpThis->initialize();

  const DisplayAspect aspect = decideDisplayAspect(settings);
  CDemoManager& demo = demoManager();
  demo.setWindow(window.get());
  demo.setLowQuality(settings.lowQuality != 0);
  const u32 startMs = static_cast<u32>(commandLine.startSeconds.value_or(0.0) * 1000.0 + 0.5);
  demo.setStartTime(startMs);
  CDemoSoundFixedStep* pFixedClock = nullptr;
  if (commandLine.isOffline()) {
    auto pClock = std::make_unique<CDemoSoundFixedStep>(static_cast<u32>(commandLine.framesPerSecond.value_or(60)));
    pFixedClock = pClock.get();
    demo.setDemoSound(std::move(pClock));
  }
  if (!demo.initialize(static_cast<u32>(settings.fsaaSamples), aspect.x, aspect.y)) {
    std::fprintf(stderr, "orvane: the show cannot start without its music (see above)\n");
    return 1;
  }
  window->saveGammaRamp();
  // A missing table is no error: the effects then get no extra textures.
  customTextureManager::mpThis->loadDefinitions(customTextureManager::DEFINITION_FILE);
  setRunState();
  if (settings.bigScreen && settings.fullscreen) {
    window->setGamma(BIG_SCREEN_GAMMA);
  }
  if (commandLine.frames) {
    demo.setFrameLimit(static_cast<u64>(*commandLine.frames));
  }

  std::unique_ptr<FrameCapture> pCapture;
  std::unique_ptr<FrameBench> pBench;
  if (commandLine.captureTarget) {
    pCapture = std::make_unique<FrameCapture>(*commandLine.captureTarget, pFixedClock, settings.width, settings.height,
                                              demo.getShowEndTime());
    if (!pCapture->prepare()) {
      std::fprintf(stderr, "orvane: %s\n", pCapture->error().c_str());
      return 1;
    }
    demo.setFrameObserver(pCapture.get());
  } else if (commandLine.bench) {
    pBench = std::make_unique<FrameBench>(pFixedClock);
    pBench->setLoadSeconds(std::chrono::duration<double>(std::chrono::steady_clock::now() - startedAt).count());
    demo.setFrameObserver(pBench.get());
  }

  int status = demo.run();
  demo.setFrameObserver(nullptr);
  if (pCapture) {
    if (!pCapture->finish(CSound::MUSIC_FILE_NAME, startMs)) {
      std::fprintf(stderr, "orvane: %s\n", pCapture->error().c_str());
      status = 1;
    } else {
      std::fprintf(stderr, "capture: %llu frames written to %s\n",
                   static_cast<unsigned long long>(pCapture->framesWritten()), commandLine.captureTarget->c_str());
    }
  }
  if (pBench) {
    std::fputs(FrameBench::format(pBench->report()).c_str(), stdout);
  }

  window->restoreGammaRamp();
  customTextureManager::mpThis->releaseTextures();
  messageManager::mpThis->deleteTextures();
  textureManager::mpThis->deleteAllTextures();
  demo.releaseDemoSound();
  window.reset();
  platform::quitVideo();
  return status;
}

}  // namespace

int orvaneMain(int argc, char** argv) {
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
  return playShow(parsed.commandLine);
}
