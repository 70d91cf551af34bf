// The main loop, the frame cycle, the post-effect stage, the final composition
// and the exit fade.
#include "demo/demo_manager.h"

#include "platform/gl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "demo/frame_observer.h"
#include "demo/frame_target.h"
#include "demo/scene.h"
#include "demo/scene_manager.h"
#include "demo/scene_qel_trampoline.h"
#include "demo/scene_qel_default.h"
#include "framework/critical_check.h"
#include "platform/colour_ramp_pass.h"
#include "platform/gamma_ramp.h"
#include "platform/video.h"
#include "render/frame_context.h"
#include "render/render_object.h"
#include "resource/current_effect.h"
#include "resource/custom_texture_manager.h"
#include "resource/res_shader.h"
#include "resource/resource_manager.h"
#include "resource/shader_manager.h"
#include "screen/letterbox.h"
#include "screen/post_effect_manager.h"
#include "screen/power_of_two.h"
#include "screen/scene_renderer.h"
#include "screen/scene_screen.h"
#include "screen/screen_quad.h"
#include "sound/demo_sound.h"

namespace {

CDemoManager gDemoManager;

constexpr u32 kModelViewProjection = state_matrix::kModelViewProjection | state_matrix::kIdentity;

void setTexture(const char* name, u32 texture) { setCurrentParameter(name, TextureName{texture}); }

// A side of a work screen written at 1/divisor of the window, never below one pixel.
u32 reducedSide(u32 side, u32 divisor) { return std::max(side / divisor, 1u); }

}  // namespace

CDemoManager& demoManager() { return gDemoManager; }

CDemoManager::CDemoManager() = default;

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
  resShader* pShader = static_cast<resShader*>(resourceManager::mpThis->getResource(DEFAULT_EFFECT, resShader::DTI));
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
  mpComposedCopy.reset();
  mpGammaPass.reset();
  clearSceneManagers();
  mpPeManager = nullptr;
  setCurrentLineShader(nullptr);
}

void CDemoManager::setPictureGamma(f32 gamma) {
  mpGammaPass.reset();
  if (clampGamma(gamma) == 1.0f) return;
  const GammaRamp ramp = computeGammaRamp(gamma);
  mpGammaPass = std::make_unique<platform::ColourRampPass>(ramp.red, ramp.green, ramp.blue);
}

// The model renderer's override slot is the one place the line shader is kept.
resShader* CDemoManager::getCurrentLineShader() const { return mpCurrentLineShader; }

void CDemoManager::setCurrentLineShader(resShader* pShader) { mpCurrentLineShader = pShader; }

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

  IFrameObserver* pObserver = mpObserver;
  mpObserver = nullptr;
  glPushAttrib(GL_SCISSOR_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 1, 1);
  for (const u32 time : times) {
    if (time > showEnd || !selectScenes(time)) continue;
    renderScenes(time);
    runPostEffects(time);
    composeToWindow();
  }
  glPopAttrib();
  glFinish();
  forgetCurrentScenes();
  mpObserver = pObserver;
}

int CDemoManager::run() {
  if (mpSound) {
    mpSound->play(mStartTime);
  }
  bool ending = false;
  mFrameCount = 0;
  resetFade();
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
          } else if (mKeyHandler) {
            mKeyHandler(event.key);
          }
          break;
        case platform::EventType::PointerDown:
        case platform::EventType::PointerDrag:
        case platform::EventType::PointerUp:
          if (mPointerHandler) mPointerHandler(event);
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
    if (mFrameLimit != 0 && mFrameCount >= mFrameLimit) {
      return 0;
    }
  }
}

bool CDemoManager::runFrame(bool ending) {
  u32 time = mpSound ? mpSound->getTime() : 0;
  if (mTimeWatcher && mpSound) {
    const u32 seen = time;
    if (!mTimeWatcher(time)) return false;
    if (time != seen) forgetCurrentScenes();
  }
  if (mHoldAtEnd && mpSound) {
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
  if (mpObserver) mpObserver->onFrameStart(time);
  renderScenes(time);
  if (mpObserver) mpObserver->onStageEnd(FrameStage::Scenes);
  runPostEffects(time);
  if (mpObserver) mpObserver->onStageEnd(FrameStage::PostEffects);
  composeToWindow();
  if (mpObserver) mpObserver->onStageEnd(FrameStage::Composition);
  if (ending && !fadeOut()) {
    return false;
  }
  if (mpGammaPass) mpGammaPass->apply(static_cast<int>(mWidth), static_cast<int>(mHeight));
  if (mpObserver) mpObserver->onFrameComposed(time);
  if (mpWindow) {
    mpWindow->presentFrame();
  }
  if (mpObserver) mpObserver->onFrameEnd();
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
    if (mpObserver) {
      const u32 sceneTime = static_cast<u32>(static_cast<f32>(length) * mLineProgress[line]);
      const IScene::Piece piece = pScene->pieceAt(sceneTime);
      FramePart part;
      part.kind = FramePart::Kind::Scene;
      part.pName = &piece.name;
      part.start = piece.start;
      part.end = piece.end;
      part.line = line;
      mpObserver->onPartEnd(part);
    }
  }
  setCurrentLineShader(nullptr);
}

void CDemoManager::runPasses(resShader* pEffect, s32 pass) {
  const u32 first = pass != -1 ? static_cast<u32>(pass) : 0;
  for (u32 k = first; k < (pass != -1 ? first + 1 : pEffect->getPassNum()); ++k) {
    shaderManager::mpThis->setPass(k);
    drawScreenQuad(mScreenScaleU, mScreenScaleV);
    shaderManager::mpThis->resetPass(k);
  }
}

ScreenFormat CDemoManager::pictureScreenFormat() const {
  // Every effect clamps what it leaves in the work and composite screens to the
  // window's range, so they hold 8 bits a channel: a software renderer reads and
  // blends floats at several times the cost, and the picture is the same.
  return ScreenFormat{isLowQuality(), true};
}

void CDemoManager::fitWorkScreens() {
  for (int work = 0; work < WORK_SCREEN_COUNT; ++work) {
    const u32 divisor = mpPeManager->getWorkDivisor(work);
    if (divisor == mWorkDivisor[work]) continue;
    mpWorkScreen[work] = std::make_unique<CSceneScreen>();
    mpWorkScreen[work]->createScreen(reducedSide(mWidth, divisor), reducedSide(mHeight, divisor), false,
                                     pictureScreenFormat());
    mWorkDivisor[work] = divisor;
    if (work < 2 && mpDefaultEffect) {
      // The default effect was handed the old screen's texture once, at start-up.
      const CurrentEffect current(mpDefaultEffect);
      setTexture(work == 0 ? "workBuf0" : "workBuf1", mpWorkScreen[work]->getColorTexture());
    }
  }
}

bool CDemoManager::screenInWindow(u32 time) {
  const PictureRect picture = letterboxRect(mAspectX, mAspectY);
  const bool fills = mpWindow && picture.x0 == 0.0f && picture.y0 == 0.0f && mScreenScaleU == 1.0f &&
                     mScreenScaleV == 1.0f && mpWindow->getFrameWidth() == mWidth &&
                     mpWindow->getFrameHeight() == mHeight;
  const u32 showEnd = getShowEndTime();
  u32 first = 0;
  // Past the table's end no entry may paint the screen: the composite keeps it.
  return mWindowScreen.decide(*mpPeManager, showEnd, fills) && time <= showEnd &&
         mpPeManager->firstScreenEntry(time, first);
}

u32 CDemoManager::getScreenFrameBuffer() const {
  return mScreenInWindow ? 0u : mpCompositeScreen->getFrameBuffer();
}

void CDemoManager::runPostEffects(u32 time) {
  CRITICAL_CHECK(mpPeManager, "");
  fitWorkScreens();
  // When the first entry writing the screen paints all of it in every frame, the
  // window can be the screen and the composition has nothing left to copy.
  mScreenInWindow = screenInWindow(time);
  if (mScreenInWindow) WindowScreen::enter();
  orthographicUnitSquare();
  const float4 viewport = {static_cast<f32>(mWidth), static_cast<f32>(mHeight), 0.0f, 0.0f};
  bool anyRan = false;
  for (u32 index = 0; index < mpPeManager->getEntryCount(); ++index) {
    resShader* pEffect = mpPeManager->activeEffect(index, time);
    if (!pEffect) {
      continue;
    }
    const CurrentEffect current(pEffect);
    setCurrentStateMatrix("projMat", kModelViewProjection);
    setTexture("srcCBuf0", mpSourceScreen[0]->getColorTexture());
    setTexture("srcCBuf1", mpSourceScreen[1]->getColorTexture());
    setTexture("srcZBuf0", mpSourceScreen[0]->getDepthTexture());
    setTexture("srcZBuf1", mpSourceScreen[1]->getDepthTexture());
    for (int work = 0; work < WORK_SCREEN_COUNT; ++work) {
      const std::string name = "workBuf" + std::to_string(work);
      setTexture(name.c_str(), mpWorkScreen[work]->getColorTexture());
    }
    // A grade over the finished picture is one row reading what the rows
    // before it composed, instead of every row writing a work screen for it.
    const auto readsComposed = [](const resShader::ShaderParam& param) {
      return param.name == "composedBuf" || param.semantic == "composedBuf";
    };
    const std::vector<resShader::ShaderParam>& parameters = pEffect->getParameters();
    if (std::any_of(parameters.begin(), parameters.end(), readsComposed)) {
      copyComposedPicture();
      setTexture("composedBuf", mpComposedCopy->getColorTexture());
    }
    setCurrentParameter("TIME_RATE_0", mLineProgress[0]);
    setCurrentParameter("TIME_RATE_1", mLineProgress[1]);
    setCurrentParameter("TIME_RATE_EFFECT", mpPeManager->effectRate(index, time));
    customTextureManager::mpThis->applyTextures(pEffect);
    setCurrentParameter("ViewportSize", viewport);
    const PostEffectEntry& entry = mpPeManager->getEntry(index);
    const s32 bufferID = entry.bufferID;
    CRITICAL_CHECK(bufferID>=CPostEffectManager::RENDER_TARGET_BEGIN && bufferID<CPostEffectManager::RENDER_TARGET_END, "invalid screen buffer id");
    CSceneScreen* pOutput = bufferID == -1 ? mpCompositeScreen.get() : mpWorkScreen[bufferID].get();
    const u32 outputFrameBuffer = bufferID == -1 && mScreenInWindow ? 0u : pOutput->getFrameBuffer();
    const u32 divisor = bufferID == -1 ? 1 : mWorkDivisor[bufferID];
    const u32 outputWidth = reducedSide(mWidth, divisor);
    const u32 outputHeight = reducedSide(mHeight, divisor);
    setCurrentParameter("OutputSize",
                        float4{static_cast<f32>(outputWidth), static_cast<f32>(outputHeight), 0.0f, 0.0f});
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, outputFrameBuffer);
    if (divisor != 1) glViewport(0, 0, static_cast<GLsizei>(outputWidth), static_cast<GLsizei>(outputHeight));
    runPasses(pEffect, entry.pass);
    if (divisor != 1) glViewport(0, 0, static_cast<GLsizei>(mWidth), static_cast<GLsizei>(mHeight));
    glFlush();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    anyRan = true;
    if (mpObserver) {
      FramePart part;
      part.kind = FramePart::Kind::PostEffect;
      part.pName = &entry.effectFile;
      part.start = entry.start;
      part.end = entry.end;
      part.entry = static_cast<s32>(index);
      mpObserver->onPartEnd(part);
    }
  }
  if (mScreenInWindow) WindowScreen::leave();
  if (anyRan) {
    return;
  }
  resShader* pShader = mpDefaultEffect;
  const CurrentEffect current(pShader);
  setCurrentStateMatrix("projMat", kModelViewProjection);
  customTextureManager::mpThis->applyTextures(pShader);
  setCurrentParameter("ViewportSize", viewport);
  setCurrentParameter("OutputSize", viewport);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mpCompositeScreen->getFrameBuffer());
  runPasses(pShader, -1);
  glFlush();
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void CDemoManager::copyComposedPicture() {
  if (!mpComposedCopy) {
    mpComposedCopy = std::make_unique<CSceneScreen>();
    mpComposedCopy->createScreen(mWidth, mHeight, false, pictureScreenFormat());
  }
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mScreenInWindow ? 0u : mpCompositeScreen->getFrameBuffer());
  glReadBuffer(mScreenInWindow ? GL_BACK : GL_COLOR_ATTACHMENT0_EXT);
  GLint previous = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
  glBindTexture(GL_TEXTURE_2D, mpComposedCopy->getColorTexture());
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, static_cast<GLsizei>(mWidth), static_cast<GLsizei>(mHeight));
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void CDemoManager::composeToWindow() {
  if (mScreenInWindow) return;  // the post-effect stage drew the picture there
  orthographicUnitSquare();
  resShader* pShader = mpFinalEffect;
  const CurrentEffect current(pShader);
  setTexture("shScreenTexture", mpCompositeScreen->getColorTexture());
  setCurrentStateMatrix("shVProjMat", kModelViewProjection);
  const PictureRect picture = letterboxRect(mAspectX, mAspectY);
  // The bars are painted only where the picture leaves some: a picture that
  // fills the window would cover a second full-window quad at once.
  if (picture.x0 > 0.0f || picture.y0 > 0.0f) {
    shaderManager::mpThis->setPass(1);
    drawScreenQuad(1.0f, 1.0f);
    shaderManager::mpThis->resetPass(1);
  }

  shaderManager::mpThis->setPass(0);
  drawScreenRect(picture, mScreenScaleU, mScreenScaleV);
  shaderManager::mpThis->resetPass(0);
}

bool CDemoManager::fadeOut() {
  const u32 now = mClock ? mClock() : platform::ticks();
  if (!mFadeStarted) {
    mFadeStarted = true;
    mFadeStart = now;
  }
  const u32 elapsed = now - mFadeStart;
  const float f = 1.0f - static_cast<float>(elapsed) / static_cast<float>(FADE_MILLISECONDS);
  if (f < 0.0f) {
    return false;
  }
  if (mpSound) {
    mpSound->setVolume(std::sqrt(f));
  }

  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f - f * f);
  glBegin(GL_TRIANGLE_STRIP);
  glVertex2f(0.0f, 1.0f);
  glVertex2f(0.0f, 0.0f);
  glVertex2f(1.0f, 1.0f);
  glVertex2f(1.0f, 0.0f);
  glEnd();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
  return true;
}
