// Seeking the demo sound: the decoder (streaming Ogg Vorbis) or the buffer's
// cursor (static WAVE) lands on the same millisecond as the demo clock, playing
// or paused.
#include <gtest/gtest.h>

#include <cmath>

#include "sound/demo_sound.h"
#include "support/sound_fixtures.h"

using soundtest::TempDir;

namespace {

constexpr double kRate = 44100.0;

double startMilliseconds(CDemoSoundREAL& demo) {
  return static_cast<double>(demo.getSound()->getStartFrame()) * 1000.0 / kRate;
}

class SeekingDemoSound : public testing::Test {
 protected:
  void open(const std::string& path) {
    ASSERT_TRUE(mDemo.create(platform::createNullSoundDevice(), path.c_str()));
  }

  TempDir mDir;
  u32 mNow = 500;
  CDemoSoundREAL mDemo{[this] { return mNow; }};
};

}  // namespace

TEST_F(SeekingDemoSound, AStreamedTrackAndTheClockMeetOnTheSameMillisecond) {
  open(mDir.write("air.ogg", soundtest::makeOgg(9.0)));
  ASSERT_TRUE(mDemo.getSound()->isStreaming());
  mDemo.play(0);
  mNow += 40;
  for (const u32 target : {5678u, 1234u, 7001u, 3u}) {
    mDemo.seek(target);
    EXPECT_TRUE(mDemo.isPlaying());
    EXPECT_EQ(mDemo.getTime(), target);
    EXPECT_NEAR(startMilliseconds(mDemo), target, 1.0) << "decoder position after a seek to " << target;
    mNow += 16;
    EXPECT_EQ(mDemo.getTime(), target + 16) << "the clock runs on from the seek";
  }
}

TEST_F(SeekingDemoSound, APausedSeekMovesOnlyTheClockAndResumingPlaysFromThere) {
  open(mDir.write("air.ogg", soundtest::makeOgg(9.0)));
  mDemo.play(1000);
  mNow += 100;
  mDemo.stop();
  mDemo.seek(4321);
  EXPECT_FALSE(mDemo.isPlaying());
  mNow += 300;
  EXPECT_EQ(mDemo.getTime(), 4321u) << "a paused clock holds";
  mDemo.play(mDemo.getTime());
  EXPECT_NEAR(startMilliseconds(mDemo), 4321.0, 1.0);
  mNow += 10;
  EXPECT_EQ(mDemo.getTime(), 4331u);
}

TEST_F(SeekingDemoSound, AStaticTrackSetsTheBufferCursorToTheSeekedMillisecond) {
  open(mDir.write("air.wav", soundtest::makeWave(soundtest::patternPcm(88200))));
  ASSERT_FALSE(mDemo.getSound()->isStreaming());
  mDemo.play(0);
  mDemo.seek(1500);
  EXPECT_EQ(mDemo.getTime(), 1500u);
  EXPECT_NEAR(startMilliseconds(mDemo), 1500.0, 1.0);
  EXPECT_EQ(mDemo.getSound()->getStartFrame(), 66150u);
}
