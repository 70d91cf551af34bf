// The main loop and the frame cycle on a real GL context with the show's own
// screens and effects: Escape handling, closing the window, the exit fade and
// big-screen gamma (the letterbox: the frame capture test; the end of the show and
// other screen storages end to end: the Program tests).
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/window.h"
#include "demo/demo_manager.h"
#include "demo/frame_observer.h"
#include "demo/frame_target.h"
#include "demo/scene_manager.h"
#include "platform/video.h"
#include "resource/shader_manager.h"
#include "sound/demo_sound.h"
#include "support/demo_fixture.h"
#include "support/gl_state.h"
#include "support/gl_test_context.h"
#include "support/show_folder.h"

namespace {

constexpr std::array<float, 4> kRed = {1.0f, 0.0f, 0.0f, 1.0f};

// Reads pixels of the composed frame before the swap.
struct PixelProbe : IFrameObserver {
  PixelProbe(DemoFixture& fixture, std::vector<std::array<int, 2>> points) : fixture(fixture), points(points) {}
  void onFrameComposed(u32) override {
    for (const auto& point : points) pixels.push_back(fixture.pixel(point[0], point[1]));
  }
  DemoFixture& fixture;
  std::vector<std::array<int, 2>> points;
  std::vector<std::array<u8, 4>> pixels;
};

class MainLoop : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(mDemo.ok()) << mDemo.error();
    mDemo.addScene(0, "red", 0, 100000, kRed);
    CDemoManager& demo = demoManager();
    changeRunOptions([&](RunOptions& options) { options.frameLimit = 100; options.clock = [this] { return mNow; }; });
  }

  void expectQuitAtOnce() {
    EXPECT_EQ(demoManager().run(), 0);
    EXPECT_EQ(demoManager().getFrameCount(), 0u);
  }

  DemoFixture mDemo{64, 48, 4, 3};
  u32 mNow = 1000;
};

}  // namespace

TEST_F(MainLoop, TwoEscapesQuitAtOnceWithZero) {
  platform::pushKeyDown(platform::Key::Escape);
  platform::pushKeyDown(platform::Key::Escape);
  expectQuitAtOnce();
}

TEST_F(MainLoop, EscapeAutoRepeatQuitsLikeASecondEscape) {
  platform::pushKeyDown(platform::Key::Escape);
  platform::pushKeyDown(platform::Key::Escape, true);
  expectQuitAtOnce();
}

TEST_F(MainLoop, ClosingTheWindowQuitsWithZero) {
  platform::pushWindowClose();
  expectQuitAtOnce();
}

TEST_F(MainLoop, OneEscapeFadesForThreeSecondsThenEnds) {
  // Each fade step sees the clock 500 ms later: steps at 0, 500, ..., 3000 ms
  // draw, the one at 3500 ms ends the show without another swap.
  changeRunOptions([this](RunOptions& options) {
    options.clock = [this] {
      const u32 now = mNow;
      mNow += 500;
      return now;
    };
  });
  platform::pushKeyDown(platform::Key::Escape);
  EXPECT_EQ(demoManager().run(), 0);
  EXPECT_EQ(demoManager().getFrameCount(), 7u);
}

TEST_F(MainLoop, WarmUpDrawsEveryScenesStartMiddleAndEndUnobservedAndTheRunEntersAfresh) {
  // A late scene, which a run starting at 0 s would first draw minutes in: its
  // programs would be built by the driver then, in the middle of the show.
  ColourScene& late = mDemo.addScene(1, "late", 200000, 300000, kRed);
  ColourScene& first = *static_cast<ColourScene*>(demoManager().getSceneManagers(0)[0]->getScenes()[0]);
  PixelProbe probe(mDemo, {{32, 24}});
  changeRunOptions([&](RunOptions& options) { options.pObserver = &probe; });
  demoManager().warmUp();
  EXPECT_TRUE(probe.pixels.empty()) << "the frame observer sees only the show's frames";
  EXPECT_EQ(late.drawnAt, (std::vector<f32>{0.0f, 0.5f, 1.0f}));
  EXPECT_EQ(first.drawnAt, (std::vector<f32>{0.0f, 0.5f, 1.0f}));
  const int entersBefore = first.enters;

  changeRunOptions([&](RunOptions& options) { options.frameLimit = 1; });
  ASSERT_EQ(demoManager().run(), 0);
  EXPECT_EQ(first.enters, entersBefore + 1) << "the first frame enters its scene afresh";
  ASSERT_EQ(probe.pixels.size(), 1u);
  EXPECT_EQ(probe.pixels[0][0], 255) << "the warm-up leaves the picture to the first frame";
}

namespace {
// Counts the frames the loop shows; the size is read only when the screens are made.
struct CountingTarget : IFrameTarget {
  u32 getFrameWidth() const override { return 64; }
  u32 getFrameHeight() const override { return 48; }
  void presentFrame() override { ++shown; }
  int shown = 0;
};

// Moves the run's clock on by a step after every composed frame.
struct SteppingClock : IFrameObserver {
  SteppingClock(u32& now, u32 step) : now(now), step(step) {}
  void onFrameComposed(u32) override {
    now += step;
    ++composed;
  }
  u32& now;
  u32 step;
  int composed = 0;
};
}  // namespace

TEST_F(MainLoop, APresentIntervalShowsTheFirstFrameThenOneAnIntervalWhileEveryFrameIsComposed) {
  // Frames 40 ms apart with a 100 ms interval: shown at 0, 120, 240 and 360 ms.
  for (const std::pair<u32, int> intervalAndShown : {std::pair<u32, int>{100, 4}, {0, 10}}) {
    const u32 interval = intervalAndShown.first;
    const int expected = intervalAndShown.second;
    CountingTarget target;
    SteppingClock clock(mNow, 40);
    demoManager().setWindow(&target);
    changeRunOptions([&](RunOptions& options) {
      options.frameLimit = 10;
      options.pObserver = &clock;
      options.presentIntervalMs = interval;
    });
    EXPECT_EQ(demoManager().run(), 0);
    EXPECT_EQ(clock.composed, 10) << interval;
    EXPECT_EQ(target.shown, expected) << interval;
  }
  changeRunOptions([](RunOptions& options) { options.pObserver = nullptr; options.presentIntervalMs = 0; });
  demoManager().setWindow(nullptr);
}

namespace {
// Records what the loop asks of the music.
class RecordingSound : public IDemoSound {
 public:
  void play(u32 ms) override { playedFrom.push_back(ms); }
  void stop() override {}
  bool isPlaying() override { return true; }
  u32 getTime() override { return 0; }
  void setVolume(f32 volume) override { volumes.push_back(volume); }
  f32 getVolume() override { return volumes.empty() ? 1.0f : volumes.back(); }
  std::vector<u32> playedFrom;
  std::vector<f32> volumes;
};
}  // namespace

TEST_F(MainLoop, MusicStartsAtTheStartTimeAndTheFadeDarkensByOneMinusFSquaredQuietsByItsRootAndRestoresState) {
  auto owned = std::make_unique<RecordingSound>();
  RecordingSound* sound = owned.get();
  CDemoManager& demo = demoManager();
  demo.setDemoSound(std::move(owned));
  changeRunOptions([&](RunOptions& options) { options.startTime = 1234; options.frameLimit = 1; });
  EXPECT_EQ(demo.run(), 0);
  EXPECT_EQ(sound->playedFrom, std::vector<u32>{1234u});

  mNow = 1000;
  ASSERT_TRUE(demo.fadeOut());  // starts the fade at 1000 ms
  glViewport(0, 0, 64, 48);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glMatrixMode(GL_MODELVIEW);
  const GlState before = GlState::take();
  mNow = 2500;  // f = 0.5: alpha 0.75 leaves a quarter of white, the music at the root of a half
  ASSERT_TRUE(demo.fadeOut());
  const auto pixel = mDemo.pixel(32, 24);
  EXPECT_NEAR(pixel[0], 64, 2);
  EXPECT_NEAR(pixel[2], 64, 2);
  EXPECT_EQ(GlState::take().differencesFrom(before), "");
  ASSERT_EQ(sound->volumes.size(), 2u);
  EXPECT_FLOAT_EQ(sound->volumes[0], 1.0f);
  EXPECT_FLOAT_EQ(sound->volumes[1], std::sqrt(0.5f));
  mNow = 4001;
  EXPECT_FALSE(demo.fadeOut());
}

TEST_F(MainLoop, LineProgressRunsOverTheScenesOwnRangeAndIsZeroForAZeroLengthScene) {
  demoManager().clearSceneManagers();
  ColourScene& ranged = mDemo.addScene(0, "ranged", 1000, 3000, kRed);
  changeRunOptions([&](RunOptions& options) { options.startTime = 1500; options.frameLimit = 1; });
  ASSERT_EQ(demoManager().run(), 0);
  EXPECT_EQ(ranged.drawnAt, std::vector<f32>{0.25f});
  EXPECT_EQ(ranged.enters, 1);
  // (T - start) / length would be 0 / 0 for a scene of one millisecond.
  demoManager().clearSceneManagers();
  ColourScene& instant = mDemo.addScene(0, "instant", 500, 500, kRed);
  changeRunOptions([&](RunOptions& options) { options.startTime = 500; });
  ASSERT_EQ(demoManager().run(), 0);
  EXPECT_EQ(instant.drawnAt, std::vector<f32>{0.0f});
  EXPECT_EQ(demoManager().getLineProgress(0), 0.0f);
}

TEST(DemoManagerStart, WithoutMusicNothingOfTheShowIsLeftBehind) {
  const ShowFolder show;
  std::filesystem::remove(show.path() / "data" / "air.ogg");
  GlTestContext context(32, 18);
  ASSERT_TRUE(context.ok()) << context.error();
  shaderManager::mpThis->initialize();
  CDemoManager& demo = demoManager();
  demo.setWindow(&context.window());
  EXPECT_FALSE(demo.initialize(4, 16, 9)) << "there is no data/air.ogg here";
  EXPECT_EQ(demo.getDemoSound(), nullptr);
  EXPECT_EQ(demo.getSourceScreen(0), nullptr);
  EXPECT_EQ(demo.getWorkScreen(3), nullptr);
  EXPECT_EQ(demo.getCompositeScreen(), nullptr);
  demo.setWindow(nullptr);
  shaderManager::mpThis->destroyContext();
}

TEST_F(MainLoop, BigScreenGammaBrightensThePictureItselfAndRestoresState) {
  CDemoManager& demo = demoManager();
  mDemo.addScene(1, "grey", 0, 100000, {0.3f, 0.5f, 0.7f, 1.0f});
  PixelProbe plain(mDemo, {{32, 24}, {32, 2}});
  changeRunOptions([&](RunOptions& options) { options.pObserver = &plain; options.frameLimit = 1; });
  ASSERT_EQ(demo.run(), 0);
  ASSERT_EQ(plain.pixels.size(), 2u);

  changeRunOptions([&](RunOptions& options) { options.pictureGamma = 1.2f; });
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  const GlState before = GlState::take();
  PixelProbe bright(mDemo, {{32, 24}, {32, 2}});
  changeRunOptions([&](RunOptions& options) { options.pObserver = &bright; });
  ASSERT_EQ(demo.run(), 0);
  changeRunOptions([&](RunOptions& options) { options.pObserver = nullptr; options.pictureGamma = 1.0f; });
  ASSERT_EQ(bright.pixels.size(), 2u);

  // Every channel value i of the picture (bars included) became the ramp's entry i.
  const GammaRamp ramp = computeGammaRamp(1.2f);
  for (int point = 0; point < 2; ++point) {
    for (int c = 0; c < 3; ++c) {
      const int expected = (ramp.red[plain.pixels[point][c]] * 255 + 32767) / 65535;
      EXPECT_NEAR(bright.pixels[point][c], expected, 1) << "point " << point << " channel " << c;
    }
  }
  EXPECT_GT(bright.pixels[0][1], plain.pixels[0][1] + 10) << "visibly brighter";
  EXPECT_EQ(GlState::take().differencesFrom(before), "");
}
