// The main loop and the frame cycle on a real GL context with the show's own
// screens and effects: Escape handling, closing the window, the frame limit, the
// end of the show, the letterboxed picture and the exit fade.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/window.h"
#include "demo/demo_manager.h"
#include "demo/frame_observer.h"
#include "demo/scene_manager.h"
#include "platform/video.h"
#include "resource/shader_manager.h"
#include "screen/power_of_two.h"
#include "sound/demo_sound.h"
#include "support/demo_fixture.h"
#include "support/gl_test_context.h"
#include "support/temp_dir.h"

namespace {

constexpr std::array<float, 4> kRed = {1.0f, 0.0f, 0.0f, 1.0f};

// Reads pixels of the composed frame before the swap.
class PixelProbe : public IFrameObserver {
 public:
  PixelProbe(DemoFixture& fixture, std::vector<std::array<int, 2>> points) : mFixture(fixture), mPoints(points) {}
  void onFrameComposed(u32 time) override {
    times.push_back(time);
    std::vector<std::array<u8, 4>> frame;
    for (const auto& point : mPoints) frame.push_back(mFixture.pixel(point[0], point[1]));
    frames.push_back(frame);
    mFixture.clock().advance();
  }
  std::vector<u32> times;
  std::vector<std::vector<std::array<u8, 4>>> frames;

 private:
  DemoFixture& mFixture;
  std::vector<std::array<int, 2>> mPoints;
};

class MainLoop : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(mDemo.ok()) << mDemo.error();
    mDemo.addScene(0, "red", 0, 100000, kRed);
    CDemoManager& demo = demoManager();
    demo.setFrameLimit(100);
    demo.setMillisecondClock([this] { return mNow; });
  }

  DemoFixture mDemo{64, 48, 4, 3};
  u32 mNow = 1000;
};

}  // namespace

TEST_F(MainLoop, TwoEscapesQuitAtOnceWithZero) {
  platform::pushKeyDown(platform::Key::Escape);
  platform::pushKeyDown(platform::Key::Escape);
  EXPECT_EQ(demoManager().run(), 0);
  EXPECT_EQ(demoManager().getFrameCount(), 0u);
}

TEST_F(MainLoop, EscapeAutoRepeatQuitsLikeASecondEscape) {
  platform::pushKeyDown(platform::Key::Escape);
  platform::pushKeyDown(platform::Key::Escape, true);
  EXPECT_EQ(demoManager().run(), 0);
  EXPECT_EQ(demoManager().getFrameCount(), 0u);
}

TEST_F(MainLoop, ClosingTheWindowQuitsWithZero) {
  platform::pushWindowClose();
  EXPECT_EQ(demoManager().run(), 0);
  EXPECT_EQ(demoManager().getFrameCount(), 0u);
}

TEST_F(MainLoop, OneEscapeFadesForThreeSecondsThenEnds) {
  // Each fade step sees the clock 500 ms later: steps at 0, 500, ..., 3000 ms
  // draw, the one at 3500 ms ends the show without another swap.
  demoManager().setMillisecondClock([this] {
    const u32 now = mNow;
    mNow += 500;
    return now;
  });
  platform::pushKeyDown(platform::Key::Escape);
  EXPECT_EQ(demoManager().run(), 0);
  EXPECT_EQ(demoManager().getFrameCount(), 7u);
}

TEST_F(MainLoop, FrameLimitEndsTheLoop) {
  demoManager().setFrameLimit(3);
  EXPECT_EQ(demoManager().run(), 0);
  EXPECT_EQ(demoManager().getFrameCount(), 3u);
}

TEST_F(MainLoop, ShowEndsWhenNoLineHasAScene) {
  demoManager().setStartTime(100001);
  EXPECT_EQ(demoManager().run(), 0);
  EXPECT_EQ(demoManager().getFrameCount(), 0u);
}

TEST_F(MainLoop, WarmUpDrawsEveryScenesStartMiddleAndEndUnobservedAndTheRunEntersAfresh) {
  // A late scene, which a run starting at 0 s would first draw minutes in: its
  // programs would be built by the driver then, in the middle of the show.
  ColourScene& late = mDemo.addScene(1, "late", 200000, 300000, kRed);
  ColourScene& first = *static_cast<ColourScene*>(demoManager().getSceneManagers(0)[0]->getScenes()[0]);
  PixelProbe probe(mDemo, {{32, 24}});
  demoManager().setFrameObserver(&probe);
  demoManager().warmUp();
  EXPECT_TRUE(probe.times.empty()) << "the frame observer sees only the show's frames";
  EXPECT_EQ(late.drawnAt, (std::vector<f32>{0.0f, 0.5f, 1.0f}));
  EXPECT_EQ(first.drawnAt, (std::vector<f32>{0.0f, 0.5f, 1.0f}));
  const int entersBefore = first.enters;

  demoManager().setFrameLimit(1);
  ASSERT_EQ(demoManager().run(), 0);
  EXPECT_EQ(first.enters, entersBefore + 1) << "the first frame enters its scene afresh";
  ASSERT_EQ(probe.frames.size(), 1u);
  EXPECT_EQ(probe.frames[0][0][0], 255) << "the warm-up leaves the picture to the first frame";
}

TEST_F(MainLoop, PictureIsLetterboxedWithBlackBars) {
  // A 4:3 display: the 16:9 picture leaves bars of an eighth above and below.
  PixelProbe probe(mDemo, {{32, 24}, {32, 2}, {32, 45}, {2, 24}});
  demoManager().setFrameObserver(&probe);
  demoManager().setFrameLimit(1);
  ASSERT_EQ(demoManager().run(), 0);
  ASSERT_EQ(probe.frames.size(), 1u);
  const auto& frame = probe.frames[0];
  EXPECT_EQ(frame[0][0], 255) << "the centre shows the red scene";
  EXPECT_EQ(frame[0][1], 0);
  EXPECT_EQ(frame[1][0], 0) << "a bar below the picture";
  EXPECT_EQ(frame[2][0], 0) << "a bar above the picture";
  EXPECT_EQ(frame[3][0], 255) << "no bars at the sides";
}

TEST_F(MainLoop, FadeDarkensByOneMinusFSquaredAndRestoresState) {
  CDemoManager& demo = demoManager();
  demo.resetFade();
  mNow = 1000;
  ASSERT_TRUE(demo.fadeOut());  // starts the fade at 1000 ms
  glViewport(0, 0, 64, 48);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glMatrixMode(GL_MODELVIEW);
  mNow = 2500;  // f = 0.5: alpha 0.75 leaves a quarter of white
  ASSERT_TRUE(demo.fadeOut());
  const auto pixel = mDemo.pixel(32, 24);
  EXPECT_NEAR(pixel[0], 64, 2);
  EXPECT_NEAR(pixel[2], 64, 2);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  mNow = 4001;
  EXPECT_FALSE(demo.fadeOut());
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

TEST_F(MainLoop, MusicStartsAtTheStartTimeAndFadesWithTheSquareRoot) {
  auto owned = std::make_unique<RecordingSound>();
  RecordingSound* sound = owned.get();
  CDemoManager& demo = demoManager();
  demo.setDemoSound(std::move(owned));
  demo.setStartTime(1234);
  demo.setFrameLimit(1);
  EXPECT_EQ(demo.run(), 0);
  ASSERT_EQ(sound->playedFrom.size(), 1u);
  EXPECT_EQ(sound->playedFrom[0], 1234u);

  demo.resetFade();
  mNow = 0;
  ASSERT_TRUE(demo.fadeOut());
  mNow = 2250;  // f = 0.25
  ASSERT_TRUE(demo.fadeOut());
  ASSERT_EQ(sound->volumes.size(), 2u);
  EXPECT_FLOAT_EQ(sound->volumes[0], 1.0f);
  EXPECT_FLOAT_EQ(sound->volumes[1], 0.5f);
}

namespace {
// Red on the left half of the window's area, blue elsewhere in the texture.
class HalfScene : public IScene {
 public:
  HalfScene(int width, int height) : mWidth(width), mHeight(height) {
    setName("half");
    setTimeRange(0, 1000);
  }
  void prepare() override {}
  void onEnter() override {}
  void release() override {}
  void draw(f32) override {
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, mWidth / 2, mHeight);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
  }

 private:
  int mWidth;
  int mHeight;
};
}  // namespace

TEST(MainLoopWithoutNonPowerOfTwoTextures, PictureComesFromTheCoveredPartOfEachScreen) {
  overrideNonPowerOfTwoTextures(false);
  {
    // 80 x 45 is stored as 128 x 64: the picture covers 0.625 x 0.703125 of it.
    DemoFixture fixture(80, 45);
    ASSERT_TRUE(fixture.ok()) << fixture.error();
    CDemoManager& demo = demoManager();
    EXPECT_FLOAT_EQ(demo.getScreenScaleU(), 0.625f);
    EXPECT_FLOAT_EQ(demo.getScreenScaleV(), 0.703125f);
    HalfScene scene(80, 45);
    CSceneManager manager;
    manager.addScene(&scene);
    demo.addSceneManager(0, &manager);
    demo.addLineShader(0, nullptr);
    PixelProbe probe(fixture, {{32, 22}, {48, 22}});
    demo.setFrameObserver(&probe);
    demo.setFrameLimit(1);
    EXPECT_EQ(demo.run(), 0);
    demo.setFrameObserver(nullptr);
    ASSERT_EQ(probe.frames.size(), 1u);
    EXPECT_EQ(probe.frames[0][0][0], 255) << "0.4 of the window is still the red half";
    EXPECT_EQ(probe.frames[0][0][2], 0);
    EXPECT_EQ(probe.frames[0][1][2], 255) << "0.6 of the window is blue";
  }
  overrideNonPowerOfTwoTextures(std::nullopt);
}

TEST_F(MainLoop, ZeroLengthSceneIsDrawnAtProgressZero) {
  // (T - start) / length would be 0 / 0 for a scene of one millisecond.
  demoManager().clearSceneManagers();
  ColourScene& instant = mDemo.addScene(0, "instant", 500, 500, kRed);
  demoManager().setStartTime(500);
  demoManager().setFrameLimit(1);
  ASSERT_EQ(demoManager().run(), 0);
  ASSERT_EQ(instant.drawnAt.size(), 1u);
  EXPECT_EQ(instant.drawnAt[0], 0.0f);
  EXPECT_EQ(demoManager().getLineProgress(0), 0.0f);
}

TEST_F(MainLoop, LineProgressRunsOverTheScenesOwnRange) {
  demoManager().clearSceneManagers();
  ColourScene& scene = mDemo.addScene(0, "ranged", 1000, 3000, kRed);
  demoManager().setStartTime(1500);
  demoManager().setFrameLimit(1);
  ASSERT_EQ(demoManager().run(), 0);
  ASSERT_EQ(scene.drawnAt.size(), 1u);
  EXPECT_FLOAT_EQ(scene.drawnAt[0], 0.25f);
  EXPECT_EQ(scene.enters, 1);
}

TEST(DemoManagerStart, WithoutMusicNothingOfTheShowIsLeftBehind) {
  TempDir folder;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::create_directories(folder.path() / "data" / "shader");
  for (const char* name : {"finalScreenShader.fx", "effectSample.fx", "core.fx"}) {
    std::filesystem::copy_file(previous / "data" / "shader" / name, folder.path() / "data" / "shader" / name);
  }
  std::filesystem::current_path(folder.path());
  {
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
  std::filesystem::current_path(previous);
}

TEST_F(MainLoop, BigScreenGammaBrightensThePictureItselfAndRestoresState) {
  CDemoManager& demo = demoManager();
  mDemo.addScene(1, "grey", 0, 100000, {0.3f, 0.5f, 0.7f, 1.0f});
  PixelProbe plain(mDemo, {{32, 24}, {32, 2}});
  demo.setFrameObserver(&plain);
  demo.setFrameLimit(1);
  ASSERT_EQ(demo.run(), 0);
  ASSERT_EQ(plain.frames.size(), 1u);

  demo.setPictureGamma(1.2f);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  PixelProbe bright(mDemo, {{32, 24}, {32, 2}});
  demo.setFrameObserver(&bright);
  ASSERT_EQ(demo.run(), 0);
  demo.setFrameObserver(nullptr);
  demo.setPictureGamma(1.0f);
  ASSERT_EQ(bright.frames.size(), 1u);

  // Every channel value i of the picture (bars included) became the ramp's entry i.
  const GammaRamp ramp = computeGammaRamp(1.2f);
  for (int point = 0; point < 2; ++point) {
    for (int c = 0; c < 3; ++c) {
      const int before = plain.frames[0][point][c];
      const int expected = (ramp.red[before] * 255 + 32767) / 65535;
      EXPECT_NEAR(bright.frames[0][point][c], expected, 1) << "point " << point << " channel " << c;
    }
  }
  EXPECT_GT(bright.frames[0][0][1], plain.frames[0][0][1] + 10) << "visibly brighter";
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  GLint program = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  EXPECT_EQ(program, 0);
}
