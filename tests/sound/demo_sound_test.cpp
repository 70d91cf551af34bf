// CDemoSoundREAL with an injected millisecond clock and a null device: the demo
// time advances while the music plays and after it has ended by itself, holds
// while stopped, survives the 2^32 ms wrap, lands where a seek puts it; the
// volume mapping; the default clock, which follows the music heard; and the
// offline clock, start + frame x 1000 / fps, one frame per advance.
#include <gtest/gtest.h>

#include "sound/demo_sound.h"
#include "sound/fixed_step_clock.h"
#include "support/sound_fixtures.h"

namespace {

class DemoSound : public testing::Test {
 protected:
  // Two seconds of a static WAVE sound on a null device.
  void SetUp() override {
    const std::string path = soundtest::write(mDir, "air.wav", soundtest::makeWave(soundtest::patternPcm(88200)));
    auto device = platform::createNullSoundDevice();
    mpDevice = device.get();
    ASSERT_TRUE(mDemo.create(std::move(device), path.c_str()));
  }

  std::vector<s16> pump(u32 frames) {
    std::vector<s16> out(static_cast<std::size_t>(frames) * 2);
    mpDevice->mix(out.data(), frames);
    return out;
  }

  TempDir mDir;
  u32 mNow = 1000;
  CDemoSoundREAL mDemo{[this] { return mNow; }};
  platform::SoundDevice* mpDevice = nullptr;  // owned by the demo sound's player
};

}  // namespace

TEST_F(DemoSound, AdvancesByTheClockFromThePlayPositionAndHoldsWhileStopped) {
  EXPECT_FALSE(mDemo.isPlaying());
  mDemo.play(1500);
  EXPECT_TRUE(mDemo.isPlaying());
  mNow += 15;
  EXPECT_EQ(mDemo.getTime(), 1515u);
  mNow += 40;
  EXPECT_EQ(mDemo.getTime(), 1555u);
  EXPECT_EQ(mDemo.getTime(), 1555u) << "a second call in the same frame adds nothing";
  mDemo.stop();
  EXPECT_FALSE(mDemo.isPlaying());
  mNow += 500;
  EXPECT_EQ(mDemo.getTime(), 1555u);
  // The millisecond clock wraps at 2^32 without a jump in the demo's time.
  mNow = 0xFFFFFFF0u;
  mDemo.play(100);
  mNow += 40;
  EXPECT_EQ(mDemo.getTime(), 140u);
}

TEST_F(DemoSound, RunsOnPastTheEndOfTheMusicAndHoldsOnlyWhenStopped) {
  mDemo.play(1000);
  pump(44100 + 10);
  EXPECT_FALSE(mDemo.isPlaying());
  const u32 atEnd = mDemo.getTime();
  EXPECT_GE(atEnd, 2000u) << "the clock reaches the music's end";
  mNow += 3000;
  EXPECT_EQ(mDemo.getTime(), atEnd + 3000) << "and goes on past it, so a show as long as its music ends";
  mDemo.stop();
  mNow += 3000;
  EXPECT_EQ(mDemo.getTime(), atEnd + 3000) << "a stop holds it again";
  mDemo.play(5000);  // played from past its end, the clock runs on from there
  EXPECT_FALSE(mDemo.isPlaying());
  mNow += 7;
  EXPECT_EQ(mDemo.getTime(), 5007u);
}

TEST_F(DemoSound, VolumeMapsOneToFullAndZeroToSilence) {
  mDemo.play(0);
  EXPECT_FLOAT_EQ(mDemo.getVolume(), 1.0f);
  mDemo.setVolume(0.5f);
  EXPECT_FLOAT_EQ(mDemo.getVolume(), 0.5f);
  mDemo.setVolume(0.0f);
  EXPECT_EQ(mDemo.getSound()->getVolume(), -10000);
  EXPECT_EQ(pump(4000), std::vector<s16>(8000, 0)) << "the mixed output is silent";
  mDemo.setVolume(1.0f);
  EXPECT_EQ(pump(1)[0], soundtest::patternLeft(4000));
}

TEST_F(DemoSound, ASeekMovesTheBufferCursorWhilePlayingAndOnlyTheClockWhilePaused) {
  mDemo.play(0);
  mDemo.seek(1500);
  EXPECT_TRUE(mDemo.isPlaying());
  EXPECT_EQ(mDemo.getTime(), 1500u);
  EXPECT_EQ(mDemo.getSound()->getStartFrame(), 66150u);
  EXPECT_EQ(pump(1)[0], soundtest::patternLeft(66150));
  mDemo.stop();
  mDemo.seek(500);
  EXPECT_FALSE(mDemo.isPlaying());
  mNow += 300;
  EXPECT_EQ(mDemo.getTime(), 500u) << "a paused clock holds";
  mDemo.play(mDemo.getTime());
  EXPECT_EQ(mDemo.getSound()->getStartFrame(), 22050u);
  EXPECT_EQ(pump(1)[0], soundtest::patternLeft(22050));
  mNow += 10;
  EXPECT_EQ(mDemo.getTime(), 510u);
}

TEST(DemoSoundCreation, FailsWithoutTheMusicAndThenDoesNothing) {
  u32 now = 0;
  CDemoSoundREAL demo([&now] { return now; });
  TempDir dir;
  testing::internal::CaptureStderr();
  const std::string path = (dir.path() / "air.ogg").string();
  EXPECT_FALSE(demo.create(platform::createNullSoundDevice(), path.c_str()));
  EXPECT_NE(testing::internal::GetCapturedStderr().find(path), std::string::npos);
  demo.play(0);
  now += 100;
  EXPECT_FALSE(demo.isPlaying());
  EXPECT_EQ(demo.getTime(), 0u);
  demo.setVolume(0.5f);
  EXPECT_FLOAT_EQ(demo.getVolume(), 0.0f);
}

namespace {
// A device pulled by the test whose output holds 50 ms before the listener.
class LatentDevice final : public platform::SoundDevice {
 public:
  LatentDevice() : SoundDevice(false) {}
  const char* getDriverName() const override { return "latent"; }
  f64 getOutputLatencySeconds() const override { return 0.05; }
};
}  // namespace

TEST(DemoSoundMusicClock, FollowsWhatIsHeardOfTheMusicNotWhatWasMixed) {
  TempDir dir;
  const std::string path = soundtest::write(dir, "air.wav", soundtest::makeWave(soundtest::patternPcm(300000)));
  auto device = std::make_unique<LatentDevice>();
  platform::SoundDevice* pDevice = device.get();
  CDemoSoundREAL demo;
  ASSERT_TRUE(demo.create(std::move(device), path.c_str()));
  ASSERT_TRUE(demo.getSound()->isStreaming());
  std::vector<s16> out(4410 * 2);
  demo.play(3000);
  pDevice->mix(out.data(), 1764);  // 40 ms mixed, none of it heard yet
  demo.getSound()->syncWorker();
  EXPECT_EQ(demo.getTime(), 3000u);
  pDevice->mix(out.data(), 4410);  // 140 ms mixed: the first 90 ms heard
  demo.getSound()->syncWorker();
  EXPECT_EQ(demo.getTime(), 3090u);
  demo.stop();
  pDevice->mix(out.data(), 4410);
  EXPECT_EQ(demo.getTime(), 3090u) << "held while stopped";
  demo.play(0);
  pDevice->mix(out.data(), 4410);
  EXPECT_EQ(demo.getTime(), 50u) << "restarted from the new position";
  EXPECT_EQ(out[2 * 4409], soundtest::patternLeft(4409)) << "and the device played exactly that";
}

TEST(FixedStepClock, TimeIsStartPlusFramesAtTheRateTruncatedWithoutDriftInAWholeRunOrAPiece) {
  CDemoSoundFixedStep clock(60);
  clock.play(1000);
  EXPECT_EQ(clock.getTime(), 1000u);
  EXPECT_EQ(clock.getTime(), 1000u) << "reading does not move the clock";
  clock.advance();
  EXPECT_EQ(clock.getTime(), 1016u);  // 16.67 truncated
  clock.advance();
  EXPECT_EQ(clock.getTime(), 1033u);
  for (int i = 0; i < 58; ++i) clock.advance();
  EXPECT_EQ(clock.getTime(), 2000u) << "sixty frames make a second exactly";
  CDemoSoundFixedStep hour(30);
  hour.play(0);
  for (int i = 0; i < 30 * 3600; ++i) hour.advance();
  EXPECT_EQ(hour.getTime(), 3600000u);
  hour.play(500);
  EXPECT_EQ(hour.getTime(), 500u) << "play restarts";
  EXPECT_EQ(hour.getFrame(), 0u);
  EXPECT_EQ(CDemoSoundFixedStep(0).getFramesPerSecond(), 1u) << "a zero rate cannot divide";
  // A piece of a capture starting at frame 101 keeps the whole run's times.
  CDemoSoundFixedStep whole(60);
  whole.play(1000);
  for (int i = 0; i < 101; ++i) whole.advance();
  CDemoSoundFixedStep piece(60);
  piece.setFirstFrame(101);
  piece.play(1000);
  EXPECT_EQ(piece.getFrame(), 101u);
  EXPECT_EQ(piece.getTime(), 2683u) << "1000 + 101 x 1000 / 60 truncated, not 1000 + 1683 + ...";
  EXPECT_EQ(piece.getTime(), whole.getTime());
  piece.advance();
  whole.advance();
  EXPECT_EQ(piece.getTime(), whole.getTime());
}
