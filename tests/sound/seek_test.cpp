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
    auto device = platform::createNullSoundDevice();
    mpDevice = device.get();
    ASSERT_TRUE(mDemo.create(std::move(device), path.c_str()));
  }

  // The next frame the device mixes, left and right.
  std::pair<s16, s16> nextFrame() {
    s16 out[2] = {};
    mpDevice->mix(out, 1);
    return {out[0], out[1]};
  }

  platform::SoundDevice* mpDevice = nullptr;  // owned by the demo sound's player
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

TEST_F(SeekingDemoSound, TheFirstSampleHeardAfterASeekIsTheTracksSampleAtThatMillisecond) {
  open(mDir.write("air.wav", soundtest::makeWave(soundtest::patternPcm(300000))));
  ASSERT_TRUE(mDemo.getSound()->isStreaming());
  mDemo.play(0);
  for (const u32 target : {4321u, 250u, 6001u}) {
    mDemo.seek(target);
    EXPECT_EQ(mDemo.getTime(), target);
    const u64 frame = mDemo.getSound()->getStartFrame();
    EXPECT_NEAR(static_cast<double>(frame) * 1000.0 / kRate, target, 1.0);
    const std::pair<s16, s16> heard = nextFrame();
    EXPECT_EQ(heard.first, soundtest::patternLeft(frame)) << target;
    EXPECT_EQ(heard.second, soundtest::patternRight(frame)) << target;
  }
}

TEST_F(SeekingDemoSound, AStaticTrackSetsTheBufferCursorToTheSeekedMillisecond) {
  open(mDir.write("air.wav", soundtest::makeWave(soundtest::patternPcm(88200))));
  ASSERT_FALSE(mDemo.getSound()->isStreaming());
  mDemo.play(0);
  mDemo.seek(1500);
  EXPECT_EQ(mDemo.getTime(), 1500u);
  EXPECT_EQ(mDemo.getSound()->getStartFrame(), 66150u);
  EXPECT_EQ(nextFrame().first, soundtest::patternLeft(66150));
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
