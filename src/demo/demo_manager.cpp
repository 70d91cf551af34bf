// The main loop, the frame and the exit fade.
#include "demo/demo_manager.h"

#include <GL/glew.h>

#include <cmath>

#include "app/window.h"
#include "demo/frame_observer.h"
#include "demo/scene.h"
#include "demo/scene_manager.h"
#include "platform/video.h"
#include "sound/demo_sound.h"

namespace {
CDemoManager gDemoManager;
}

CDemoManager& demoManager() { return gDemoManager; }

CDemoManager::CDemoManager() = default;

CDemoManager::~CDemoManager() = default;

bool CDemoManager::initialize(u32 fsaaSamples, s32 aspectX, s32 aspectY) {
  if (!mpWindow) {
    mpWindow = mainWindow();
  }
  mFsaaSamples = fsaaSamples;
  if (!mpSound) {
    auto pSound = std::make_unique<CDemoSoundREAL>();
    if (!pSound->create(nullptr)) {
      return false;
    }
    mpSound = std::move(pSound);
  }
  mAspectX = aspectX;
  mAspectY = aspectY;
  return true;
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
          }
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

bool CDemoManager::runFrame(bool ending) {
  const u32 time = mpSound ? mpSound->getTime() : 0;
  if (mpObserver) {
    mpObserver->onFrameStart(time);
  }
  renderFrame();
  if (mpObserver) {
    mpObserver->onStageEnd(FrameStage::Scenes);
    mpObserver->onStageEnd(FrameStage::PostEffects);
    mpObserver->onStageEnd(FrameStage::Composition);
  }
  if (ending && !fadeOut()) {
    return false;
  }
  if (mpObserver) {
    mpObserver->onFrameComposed(time);
  }
  if (mpWindow) {
    mpWindow->swapBuffers();
  }
  return true;
}

void CDemoManager::renderFrame() {
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
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
