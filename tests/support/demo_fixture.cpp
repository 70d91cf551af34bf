// The demo manager test fixture.
#include "support/demo_fixture.h"

#include "platform/gl.h"

#include <cstdio>

#include "demo/demo_manager.h"
#include "demo/frame_observer.h"
#include "platform/video.h"
#include "resource/custom_texture_manager.h"
#include "resource/shader_manager.h"

ColourScene::ColourScene(const char* name, u32 start, u32 end, std::array<float, 4> fill, s32 content)
    : colour(fill), mContent(content) {
  setName(name);
  setTimeRange(start, end);
}

void ColourScene::draw(f32 progress) {
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
  demo.setRunOptions(RunOptions{});
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

void changeRunOptions(const std::function<void(RunOptions&)>& change) {
  RunOptions options = demoManager().getRunOptions();
  change(options);
  demoManager().setRunOptions(std::move(options));
}

std::array<u8, 4> DemoFixture::pictureAt(u32 t, int x, int y) {
  struct Probe : IFrameObserver {
    Probe(const DemoFixture& fixture, int x, int y) : fixture(fixture), x(x), y(y) {}
    void onFrameComposed(u32) override { value = fixture.pixel(x, y); }
    const DemoFixture& fixture;
    int x;
    int y;
    std::array<u8, 4> value{};
  } probe(*this, x, y);
  IFrameObserver* pPrevious = demoManager().getRunOptions().pObserver;
  changeRunOptions([&](RunOptions& options) { options.pObserver = &probe; });
  mpClock->play(t);
  demoManager().runFrame(false);
  changeRunOptions([&](RunOptions& options) { options.pObserver = pPrevious; });
  return probe.value;
}

std::array<u8, 4> DemoFixture::pixel(int x, int y) const {
  std::array<u8, 4> value{};
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, value.data());
  return value;
}
