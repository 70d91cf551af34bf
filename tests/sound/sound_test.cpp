// CSound over a null device pumped by the test: the static/streaming boundary,
// positions from play(ms), the ring refilled ahead of the cursor, the stop at
// the end of the data, restarts, and the unreadable-file messages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "sound/sound.h"
#include "sound/sound_message.h"
#include "support/sound_fixtures.h"

using soundtest::makeWave;
using soundtest::patternLeft;
using soundtest::patternRight;

namespace {

std::vector<std::string> gPresented;
void recordPresented(const char* pText) { gPresented.emplace_back(pText); }

class SoundPlayer : public testing::Test {
 protected:
  // Opens `bytes` as a WAVE file through a fresh player on a null device.
  s32 openWave(const std::vector<u8>& bytes) {
    const std::string path = soundtest::write(mDir, "music.wav", bytes);
    auto device = platform::createNullSoundDevice();
    mpDevice = device.get();
    mpSound = std::make_unique<CSound>();
    EXPECT_EQ(mpSound->initialize(std::move(device)), CSound::RESULT_OK);
    return mpSound->open(path.c_str());
  }

  // Pulls frames in steps no longer than half a chunk, letting the worker catch
  // up after each step as a real device's pace would.
  std::vector<s16> pump(u32 frames) {
    std::vector<s16> out(static_cast<std::size_t>(frames) * 2);
    for (u32 done = 0; done < frames;) {
      u32 step = std::min<u32>(4096, frames - done);
      mpDevice->mix(out.data() + 2 * done, step);
      mpSound->syncWorker();
      done += step;
    }
    return out;
  }

  // Plays a streamed pattern of `frames` frames from the start until the player
  // stops by itself; every frame must be heard in order, then only silence.
  void expectEveryFrameHeard(u64 frames) {
    ASSERT_EQ(mpSound->play(0), CSound::RESULT_OK);
    u64 frame = 0;
    u64 silentAfterEnd = 0;
    u32 steps = 0;
    while (mpSound->isPlaying() && steps++ < 400) {
      std::vector<s16> out = pump(4096);
      for (u32 i = 0; i < 4096; ++i) {
        if (frame < frames) {
          ASSERT_EQ(out[2 * i], patternLeft(frame)) << "frame " << frame;
          ASSERT_EQ(out[2 * i + 1], patternRight(frame)) << "frame " << frame;
          ++frame;
        } else {
          ASSERT_EQ(out[2 * i], 0) << "silence after the end";
          ++silentAfterEnd;
        }
      }
    }
    EXPECT_EQ(frame, frames) << "the last chunk plays out";
    EXPECT_FALSE(mpSound->isPlaying()) << "the worker stops the buffer at the end of the music";
    EXPECT_TRUE(mpSound->hasEnded());
    EXPECT_LT(silentAfterEnd, 4096u * 2) << "and stops within a device step of it";
    EXPECT_EQ(mpSound->getBuffer()->getCurrentPosition(), 0u);
    EXPECT_EQ(pump(64), std::vector<s16>(128, 0)) << "silent once stopped";

    ASSERT_EQ(mpSound->play(0), CSound::RESULT_OK);
    EXPECT_TRUE(mpSound->isPlaying()) << "a later play starts again";
    EXPECT_FALSE(mpSound->hasEnded());
    EXPECT_EQ(pump(1)[0], patternLeft(0));
  }

  TempDir mDir;
  platform::SoundDevice* mpDevice = nullptr;  // owned by the player's shared state
  std::unique_ptr<CSound> mpSound;
};

}  // namespace

TEST_F(SoundPlayer, StreamsFromOneMebibyteOfPcmAndPlaysSmallerSoundsStatically) {
  ASSERT_EQ(openWave(makeWave(std::vector<u8>(1048576))), CSound::RESULT_OK);
  EXPECT_TRUE(mpSound->isStreaming());
  EXPECT_EQ(mpSound->getChunkSize(), 44100u) << "a quarter second of 44.1 kHz 16-bit stereo";
  EXPECT_EQ(mpSound->getBuffer()->getSize(), 12u * 44100u) << "twelve chunks, three seconds";
  mpSound.reset();

  ASSERT_EQ(openWave(makeWave(std::vector<u8>(1048575))), CSound::RESULT_OK);
  EXPECT_FALSE(mpSound->isStreaming());
  EXPECT_EQ(mpSound->getBuffer()->getSize(), 1048575u);
}

TEST_F(SoundPlayer, EveryFrameIsHeardWhetherTheLastChunkIsWholeOrPartial) {
  // Forty quarter-second chunks: the last read finds nothing left. 400000 frames:
  // the ring wraps several times and the last chunk is padded.
  for (const u64 frames : {u64{11025 * 40}, u64{400000}}) {
    SCOPED_TRACE(frames);
    ASSERT_EQ(openWave(makeWave(soundtest::patternPcm(frames))), CSound::RESULT_OK);
    ASSERT_EQ(mpSound->getChunkSize(), 11025u * 4);
    expectEveryFrameHeard(frames);
    mpSound.reset();
  }
}

TEST_F(SoundPlayer, APositionAtOrPastTheEndPlaysNothingAndEndsAtOnce) {
  ASSERT_EQ(openWave(makeWave(soundtest::patternPcm(300000))), CSound::RESULT_OK);
  for (u32 ms : {6803u, 6804u, 60000u, 0xFFFFFFFFu}) {  // the data ends inside 6802 ms
    ASSERT_EQ(mpSound->play(ms), CSound::RESULT_OK) << ms;
    EXPECT_EQ(pump(4096), std::vector<s16>(8192, 0)) << ms;
    EXPECT_FALSE(mpSound->isPlaying()) << ms;
    EXPECT_TRUE(mpSound->hasEnded()) << ms;
  }
  ASSERT_EQ(mpSound->play(1000), CSound::RESULT_OK);
  EXPECT_EQ(pump(1)[0], patternLeft(44100)) << "the stream still plays from a real position";
}

TEST_F(SoundPlayer, ASecondPlayRestartsFromTheNewPositionWithAFreshChunk) {
  ASSERT_EQ(openWave(makeWave(soundtest::patternPcm(400000))), CSound::RESULT_OK);
  ASSERT_EQ(mpSound->play(0), CSound::RESULT_OK);
  pump(30000);
  ASSERT_EQ(mpSound->play(2000), CSound::RESULT_OK);
  std::vector<s16> out = pump(50000);
  for (u32 i = 0; i < 50000; ++i) ASSERT_EQ(out[2 * i], patternLeft(88200 + i)) << "frame " << i;
}

TEST_F(SoundPlayer, StopHaltsTheStreamAndRewindsTheRing) {
  ASSERT_EQ(openWave(makeWave(soundtest::patternPcm(300000))), CSound::RESULT_OK);
  EXPECT_EQ(mpSound->stop(), CSound::RESULT_OK) << "stopping an idle stream is harmless";
  ASSERT_EQ(mpSound->play(0), CSound::RESULT_OK);
  pump(10000);
  ASSERT_EQ(mpSound->stop(), CSound::RESULT_OK);
  EXPECT_FALSE(mpSound->isPlaying());
  EXPECT_EQ(mpSound->getBuffer()->getCurrentPosition(), 0u);
  EXPECT_EQ(pump(100), std::vector<s16>(200, 0));
}

TEST_F(SoundPlayer, RestoresALostBufferBeforeWriting) {
  ASSERT_EQ(openWave(makeWave(soundtest::patternPcm(300000))), CSound::RESULT_OK);
  mpSound->getBuffer()->simulateLoss();
  ASSERT_EQ(mpSound->play(0), CSound::RESULT_OK);
  EXPECT_EQ(pump(2)[2], patternLeft(1));
}

TEST(Sound, AnUnreadableFileIsReportedWithItsNameOnStandardErrorAndThePresenter) {
  TempDir dir;
  const std::string garbage = dir.write("air.ogg", std::string(5000, '\x5A'));
  gPresented.clear();
  sound::setMessagePresenter(&recordPresented);
  for (const std::string& name : {garbage, (dir.path() / "missing.ogg").string()}) {
    CSound sound;
    ASSERT_EQ(sound.initialize(platform::createNullSoundDevice()), CSound::RESULT_OK);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sound.open(name.c_str()), CSound::RESULT_NO_DECODER);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string expected = "Sound::" + name +
                                 "の読み取りインターフェイス取得に失敗.\nファイルが存在するかもしくは対応形式か確認して下さい.";
    EXPECT_EQ(err.substr(0, expected.size()), expected);
    EXPECT_NE(err.find("as Ogg Vorbis: " + name + ": "), std::string::npos) << err;
    ASSERT_FALSE(gPresented.empty());
    EXPECT_EQ(gPresented.back(), expected);
    EXPECT_FALSE(sound.hasBuffer());
  }
  sound::setMessagePresenter(nullptr);
  EXPECT_EQ(gPresented.size(), 2u);
}

// A player kept in a static object outlives the device's shared state, which
// static destruction ends first; its buffer must still go before its device.
TEST(SoundPlayerLifetime, APlayerDestroyedAfterMainReturnsGivesItsBufferBackFirst) {
  // A fresh process, so that nothing made the shared state before the player.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempDir dir;
  const std::string path = soundtest::write(dir, "music.wav", makeWave(std::vector<u8>(4096, 0)));
  EXPECT_EXIT(
      {
        static CSound player;  // constructed before the shared state: destroyed after it
        if (player.initialize(platform::createNullSoundDevice()) != CSound::RESULT_OK) std::_Exit(10);
        if (player.open(path.c_str()) != CSound::RESULT_OK) std::_Exit(11);
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}
