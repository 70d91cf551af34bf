// The demo manager test fixture.
#include "support/demo_fixture.h"

#include "platform/gl.h"

#include <cstdio>

#include "demo/demo_manager.h"
#include "platform/video.h"
#include "resource/custom_texture_manager.h"
#include "resource/shader_manager.h"

ColourScene::ColourScene(const char* name, u32 start, u32 end, std::array<float, 4> fill, s32 content)
    : colour(fill), mContent(content) {
  setName(name);
  setTimeRange(start, end);
}

void ColourScene::draw(f32 progress, const FrameContext& /*frame*/) {
  drawnAt.push_back(progress);
  glClearColor(colour[0], colour[1], colour[2], colour[3]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

DemoFixture::DemoFixture(int width, int height, s32 aspectX, s32 aspectY, u32 samples)
    : mContext(width, height, 0) {
  if (!mContext.ok()) {
    return;
  }
  platform::Event ignored;
  while (platform::pollEvent(ignored)) {
  }
  shaderManager::mpThis->initialize();
  // The effect-texture table is global: an earlier test's entries may name
  // textures that went with it.
  if (std::FILE* pEmpty = std::tmpfile()) {
    customTextureManager::mpThis->loadDefinitions(pEmpty);
    std::fclose(pEmpty);
  }
  CDemoManager& demo = demoManager();
  demo.setWindow(&mContext.window());
  auto pClock = std::make_unique<CDemoSoundFixedStep>(100);
  mpClock = pClock.get();
  demo.setDemoSound(std::move(pClock));
  demo.setPostEffectManager(&mPostEffects);
  mOk = demo.initialize(samples, aspectX, aspectY);
}

DemoFixture::~DemoFixture() {
  CDemoManager& demo = demoManager();
  demo.shutdown();
  demo.setWindow(nullptr);
  demo.setFrameLimit(0);
  demo.setFrameObserver(nullptr);
  demo.setKeyHandler(nullptr);
  demo.setHoldAtEnd(false);
  demo.setMillisecondClock(nullptr);
  demo.setStartTime(0);
  if (mContext.ok()) {
    shaderManager::mpThis->destroyContext();
  }
}

ColourScene& DemoFixture::addScene(int line, const char* name, u32 start, u32 end, std::array<float, 4> colour) {
  mScenes.push_back(std::make_unique<ColourScene>(name, start, end, colour));
  mManagers.push_back(std::make_unique<CSceneManager>());
  mManagers.back()->addScene(mScenes.back().get());
  demoManager().addSceneManager(line, mManagers.back().get());
  demoManager().addLineShader(line, nullptr);
  return *mScenes.back();
}

std::array<u8, 4> DemoFixture::pixel(int x, int y) const {
  std::array<u8, 4> value{};
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, value.data());
  return value;
}
