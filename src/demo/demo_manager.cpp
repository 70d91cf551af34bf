// The demo manager's start and shutdown, the main loop, the frame cycle and the
// scene selection and rendering of each line.
#include "demo/demo_manager.h"

#include "platform/gl.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "demo/frame_observer.h"
#include "demo/frame_target.h"
#include "demo/post_effect_stage.h"
#include "demo/scene.h"
#include "demo/scene_manager.h"
#include "demo/scene_qel_trampoline.h"
#include "demo/scene_qel_default.h"
#include "framework/critical_check.h"
#include "platform/video.h"
#include "render/frame_context.h"
#include "render/render_object.h"
#include "resource/current_effect.h"
#include "resource/res_shader.h"
#include "resource/resource_manager.h"
#include "resource/shader_manager.h"
#include "screen/post_effect_manager.h"
#include "screen/power_of_two.h"
#include "screen/scene_renderer.h"
#include "screen/scene_screen.h"
#include "sound/demo_sound.h"

namespace {

CDemoManager gDemoManager;

void setTexture(const char* name, u32 texture) { setCurrentParameter(name, TextureName{texture}); }

}  // namespace

CDemoManager& demoManager() { return gDemoManager; }

CDemoManager::CDemoManager() : mpPostEffectStage(std::make_unique<CPostEffectStage>(*this)) {}

CDemoManager::~CDemoManager() = default;

bool CDemoManager::initialize(u32 fsaaSamples, s32 aspectX, s32 aspectY) {
  mFsaaSamples = fsaaSamples;
  mWidth = mpWindow ? mpWindow->getFrameWidth() : 1;
  mHeight = mpWindow ? mpWindow->getFrameHeight() : 1;
  mScreenScaleU = 1.0f;
  mScreenScaleV = 1.0f;
  if (!hasNonPowerOfTwoTextures()) {
    u32 width = mWidth;
    u32 height = mHeight;
    roundUpPowerOfTwo(width, height, &mScreenScaleU, &mScreenScaleV);
  }
  const ScreenFormat format{isLowQuality()};
  if (fsaaSamples != 0) {
    mpMultisampleScreen = std::make_unique<CSceneScreen>();
    mpMultisampleScreen->createScreen(mWidth, mHeight, true, format);
  }
  for (auto& pScreen : mpSourceScreen) {
    pScreen = std::make_unique<CSceneScreen>();
    pScreen->createScreen(mWidth, mHeight, true, format);
  }
  const ScreenFormat pictureFormat = pictureScreenFormat();
  for (auto& pScreen : mpWorkScreen) {
    pScreen = std::make_unique<CSceneScreen>();
    pScreen->createScreen(mWidth, mHeight, false, pictureFormat);
  }
  mpCompositeScreen = std::make_unique<CSceneScreen>();
  mpCompositeScreen->createScreen(mWidth, mHeight, false, pictureFormat);
  glViewport(0, 0, static_cast<GLsizei>(mWidth), static_cast<GLsizei>(mHeight));

  mpFinalEffect = static_cast<resShader*>(resourceManager::mpThis->getResource(FINAL_EFFECT, resShader::DTI));
  if (mpFinalEffect) mpFinalEffect->requirePasses(2);  // composition runs passes 1 and 0 by index
  if (!mpFinalEffect) {
    // Fatal at the first frame that composes the picture (the message there refers to this one).
    std::fprintf(stderr, "orvane: %s: the final effect cannot be loaded: it %s\n", FINAL_EFFECT,
                 resourceManager::mpThis->lastFailure().c_str());
  }
  resShader* pShader = static_cast<resShader*>(resourceManager::mpThis->getResource(DEFAULT_EFFECT, resShader::DTI));
  if (!pShader) {
    std::fprintf(stderr, "orvane: %s: the default effect, which draws the picture when no post effect runs, "
                 "cannot be loaded: it %s\n", DEFAULT_EFFECT, resourceManager::mpThis->lastFailure().c_str());
  }
  CRITICAL_CHECK(pShader, "");
  mpDefaultEffect = pShader;
  {
    const CurrentEffect current(pShader);
    setTexture("srcCBuf0", mpSourceScreen[0]->getColorTexture());
    setTexture("srcCBuf1", mpSourceScreen[1]->getColorTexture());
    setTexture("srcZBuf0", mpSourceScreen[0]->getDepthTexture());
    setTexture("srcZBuf1", mpSourceScreen[1]->getDepthTexture());
    setTexture("workBuf0", mpWorkScreen[0]->getColorTexture());
    setTexture("workBuf1", mpWorkScreen[1]->getColorTexture());
  }

  // The count was checked where it entered (options and dialog).
  sceneRenderer().initRenderer(static_cast<s32>(fsaaSamples), mpMultisampleScreen.get());
  sceneRenderer().setScreenScale(mScreenScaleU, mScreenScaleV);

  if (!mpSound) {
    auto pSound = std::make_unique<CDemoSoundREAL>();
    if (!pSound->create(nullptr)) {
      // Nothing of the show may outlive a start-up that cannot play it.
      shutdown();
      return false;
    }
    mpSound = std::move(pSound);
  }
  mAspectX = aspectX;
  mAspectY = aspectY;
  return true;
}

void CDemoManager::shutdown() {
  releaseDemoSound();
  sceneRenderer().shutdown();
  for (auto& shaders : mLineShaders) {
    for (resShader*& pShader : shaders) releaseResource(pShader);
    shaders.clear();
  }
  releaseResource(mpFinalEffect);
  releaseResource(mpDefaultEffect);
  mpMultisampleScreen.reset();
  for (auto& pScreen : mpSourceScreen) pScreen.reset();
  for (auto& pScreen : mpWorkScreen) pScreen.reset();
  mpCompositeScreen.reset();
  mpPostEffectStage = std::make_unique<CPostEffectStage>(*this);
  mGamma.set(1.0f);
  mOptions.pictureGamma = 1.0f;
  clearSceneManagers();
  mpPeManager = nullptr;
  setCurrentLineShader(nullptr);
}

void CDemoManager::setRunOptions(RunOptions options) {
  if (options.pictureGamma != mOptions.pictureGamma) mGamma.set(options.pictureGamma);
  mOptions = std::move(options);
}

void CDemoManager::setDemoSound(std::unique_ptr<IDemoSound> pSound) { mpSound = std::move(pSound); }

void CDemoManager::releaseDemoSound() {
  if (mpSound) {
    mpSound->stop();
    mpSound.reset();
  }
}

bool CDemoManager::selectScenes(u32 time) {
  for (int line = 0; line < LINE_COUNT; ++line) {
    for (CSceneManager* pManager : mLineManagers[line]) {
      if (!pManager) {
        mpCurrentScene[line] = nullptr;
        continue;
      }
      const std::string previousName = mpCurrentScene[line] ? mpCurrentScene[line]->getName() : "__NONE__";
      IScene* pScene = pManager->getScene(time);
      mpCurrentScene[line] = pScene;
      if (!pScene) {
        continue;
      }
      if (line == 1 && pScene->hasContentAt(time) == 0) {
        mpCurrentScene[line] = nullptr;
        continue;
      }
      if (pScene->getName() != previousName) {
        pScene->onEnter();
      }
    }
  }
  return mpCurrentScene[0] || mpCurrentScene[1];
}

void CDemoManager::clearSceneManagers() {
  for (int line = 0; line < LINE_COUNT; ++line) {
    mLineManagers[line].clear();
    mpCurrentScene[line] = nullptr;
  }
}

void CDemoManager::clearLineShaders() {
  for (auto& shaders : mLineShaders) {
    for (resShader*& pShader : shaders) releaseResource(pShader);
    shaders.clear();
  }
  setCurrentLineShader(nullptr);
}

u32 CDemoManager::getShowEndTime() const {
  u32 end = 0;
  for (const auto& managers : mLineManagers) {
    for (const CSceneManager* pManager : managers) {
      if (!pManager) continue;
      for (const IScene* pScene : pManager->getScenes()) {
        if (pScene && pScene->getEndTime() > end) end = pScene->getEndTime();
      }
    }
  }
  return end;
}

void CDemoManager::warmUp() {
  const u32 showEnd = getShowEndTime();
  std::vector<u32> times;
  auto addSpan = [&times](u32 start, u32 end) {
    times.push_back(start);
    times.push_back(start + (end - start) / 2);
    times.push_back(end);
  };
  for (const auto& managers : mLineManagers) {
    for (const CSceneManager* pManager : managers) {
      if (!pManager) continue;
      for (IScene* pScene : pManager->getScenes()) {
        if (!pScene) continue;
        const auto* pQel = dynamic_cast<const CSceneQelTrampoline*>(pScene);
        if (!pQel) {
          addSpan(pScene->getStartTime(), pScene->getEndTime());
          continue;
        }
        for (const auto& pChild : pQel->getChildren()) {
          const u32 start = std::max(pChild->getStartTime(), pQel->getWindowStart());
          const u32 end = std::min(pChild->getEndTime(), pQel->getWindowEnd());
          if (start <= end) addSpan(pScene->getStartTime() + start, pScene->getStartTime() + end);
        }
      }
    }
  }
  if (mpPeManager) {
    for (u32 index = 0; index < mpPeManager->getEntryCount(); ++index) {
      times.push_back(mpPeManager->getEntry(index).start);
    }
  }
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());

  IFrameObserver* pObserver = mOptions.pObserver;
  mOptions.pObserver = nullptr;
  glPushAttrib(GL_SCISSOR_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 1, 1);
  for (const u32 time : times) {
    if (time > showEnd || !selectScenes(time)) continue;
    renderScenes(time);
    mpPostEffectStage->run(time);
    mpPostEffectStage->compose();
  }
  glPopAttrib();
  glFinish();
  forgetCurrentScenes();
  mOptions.pObserver = pObserver;
}

int CDemoManager::run() {
  if (mpSound) {
    mpSound->play(mOptions.startTime);
  }
  bool ending = false;
  mFrameCount = 0;
  mLastPresentMs.reset();
  mFade.reset();
  for (;;) {
    platform::Event event;
    if (platform::pollEvent(event)) {
      switch (event.type) {
        case platform::EventType::Quit:
        case platform::EventType::WindowClose:
          return 0;
        case platform::EventType::KeyDown:
          if (event.key == platform::Key::Escape) {
            // The first Escape starts the fade; a second one (or auto-repeat) quits.
            if (ending) {
              return 0;
            }
            ending = true;
          } else if (mOptions.keyHandler) {
            mOptions.keyHandler(event.key);
          }
          break;
        case platform::EventType::PointerDown:
        case platform::EventType::PointerDrag:
        case platform::EventType::PointerUp:
          if (mOptions.pointerHandler) mOptions.pointerHandler(event);
          break;
        default:
          break;
      }
      continue;
    }
    if (!runFrame(ending)) {
      return 0;
    }
    ++mFrameCount;
    if (mOptions.frameLimit != 0 && mFrameCount >= mOptions.frameLimit) {
      return 0;
    }
  }
}

bool CDemoManager::runFrame(bool ending) {
  u32 time = mpSound ? mpSound->getTime() : 0;
  if (mOptions.timeWatcher && mpSound) {
    const u32 seen = time;
    if (!mOptions.timeWatcher(time)) return false;
    if (time != seen) forgetCurrentScenes();
  }
  if (mOptions.holdAtEnd && mpSound) {
    const u32 end = getShowEndTime();
    if (time > end) {
      mpSound->stop();
      mpSound->seek(end);
      time = end;
    }
  }
  if (!selectScenes(time)) {
    return false;
  }
  IFrameObserver* pObserver = mOptions.pObserver;
  if (pObserver) pObserver->onFrameStart(time);
  renderScenes(time);
  if (pObserver) pObserver->onStageEnd(FrameStage::Scenes);
  mpPostEffectStage->run(time);
  if (pObserver) pObserver->onStageEnd(FrameStage::PostEffects);
  mpPostEffectStage->compose();
  if (pObserver) pObserver->onStageEnd(FrameStage::Composition);
  if (ending && !fadeOut()) {
    return false;
  }
  mGamma.apply(static_cast<int>(mWidth), static_cast<int>(mHeight));
  if (pObserver) pObserver->onFrameComposed(time);
  if (mpWindow && isTimeToPresent()) {
    mpWindow->presentFrame();
  }
  if (pObserver) pObserver->onFrameEnd();
  return true;
}

void CDemoManager::renderScenes(u32 time) {
  for (int line = 0; line < LINE_COUNT; ++line) {
    IScene* pScene = mpCurrentScene[line];
    mLineProgress[line] = 0.0f;
    if (!pScene) {
      continue;
    }
    const u32 length = pScene->getLength();
    mLineProgress[line] =
        length ? static_cast<f32>(time - pScene->getStartTime()) / static_cast<f32>(length) : 0.0f;
    setCurrentLineShader(mLineShaders[line].empty() ? nullptr : mLineShaders[line][0]);
    FrameContext frame;
    frame.pOverrideEffect = mpCurrentLineShader;
    frame.viewportWidth = static_cast<f64>(mWidth);
    frame.viewportHeight = static_cast<f64>(mHeight);
    sceneRenderer().render(pScene, mpSourceScreen[line].get(), mLineProgress[line], frame);
    if (IFrameObserver* pObserver = mOptions.pObserver) {
      const u32 sceneTime = static_cast<u32>(static_cast<f32>(length) * mLineProgress[line]);
      const IScene::Piece piece = pScene->pieceAt(sceneTime);
      FramePart part;
      part.kind = FramePart::Kind::Scene;
      part.pName = &piece.name;
      part.start = piece.start;
      part.end = piece.end;
      part.line = line;
      pObserver->onPartEnd(part);
    }
  }
  setCurrentLineShader(nullptr);
}

ScreenFormat CDemoManager::pictureScreenFormat() const {
  // Every effect clamps what it leaves in the work and composite screens to the
  // window's range, so they hold 8 bits a channel: a software renderer reads and
  // blends floats at several times the cost, and the picture is the same.
  return ScreenFormat{isLowQuality(), true};
}

u32 CDemoManager::clockMs() const { return mOptions.clock ? mOptions.clock() : platform::ticks(); }

bool CDemoManager::isTimeToPresent() {
  if (mOptions.presentIntervalMs == 0) return true;
  const u32 now = clockMs();
  if (mLastPresentMs && now - *mLastPresentMs < mOptions.presentIntervalMs) return false;
  mLastPresentMs = now;
  return true;
}

bool CDemoManager::fadeOut() {
  return mFade.step(clockMs(), mpSound.get());
}
