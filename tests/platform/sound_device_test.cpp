// The sound device's mixer through the null device (the player's tests hear its
// exact pass-through, its locks across the ring's wrap and a lost buffer's
// restore): one-shot and looping buffers, conversion from other layouts, volume,
// and the system device's fall-back to SDL's dummy driver.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/sound_device.h"

using platform::LockedRegions;
using platform::PcmFormat;
using platform::SoundBuffer;

namespace {

std::vector<s16> pull(platform::SoundDevice& device, u32 frames) {
  std::vector<s16> out(frames * 2, 12345);
  device.mix(out.data(), frames);
  return out;
}

// Fills a buffer through lock/unlock, as the player does.
void fill(SoundBuffer& buffer, const std::vector<u8>& bytes) {
  LockedRegions regions;
  ASSERT_EQ(buffer.lock(0, static_cast<u32>(bytes.size()), regions), SoundBuffer::LockResult::Ok);
  ASSERT_EQ(regions.firstSize, bytes.size());
  std::memcpy(regions.pFirst, bytes.data(), bytes.size());
  buffer.unlock();
}

std::vector<u8> stereoRamp(u32 frames) {
  std::vector<u8> bytes;
  for (u32 f = 0; f < frames; ++f) {
    for (s16 v : {static_cast<s16>(f * 3 + 1), static_cast<s16>(-static_cast<s32>(f) - 7)}) {
      bytes.push_back(static_cast<u8>(v));
      bytes.push_back(static_cast<u8>(static_cast<u16>(v) >> 8));
    }
  }
  return bytes;
}

}  // namespace

TEST(SoundDevice, OneShotBuffersStopAtTheEndAndLoopingOnesWrap) {
  auto device = platform::createNullSoundDevice();
  auto once = device->createBuffer(PcmFormat{}, 10 * 4);
  auto looping = device->createBuffer(PcmFormat{.channels = 1}, 10 * 2);
  ASSERT_TRUE(once && looping);
  fill(*once, stereoRamp(10));
  std::vector<u8> mono;
  for (int f = 0; f < 10; ++f) mono.insert(mono.end(), {static_cast<u8>(f * 10), 0});
  fill(*looping, mono);
  once->play(false);
  looping->play(true);
  std::vector<s16> out = pull(*device, 25);
  EXPECT_FALSE(once->isPlaying());
  EXPECT_TRUE(looping->isPlaying());
  EXPECT_EQ(looping->getCurrentPosition(), 5u * 2);
  EXPECT_EQ(out[2 * 9], 9 * 3 + 1 + 90) << "both buffers sum";
  EXPECT_EQ(out[2 * 12], 20) << "after the end only the looping buffer sounds, wrapped";
  EXPECT_EQ(out[2 * 12 + 1], 20) << "mono goes to both sides";
}

TEST(SoundDevice, ConvertsOtherRatesAndEightBitSamplesAndRefusesLayoutsItCannotRead) {
  auto device = platform::createNullSoundDevice();
  PcmFormat half{.channels = 1, .samplesPerSecond = 22050, .bitsPerSample = 8};
  auto slow = device->createBuffer(half, 100);
  ASSERT_TRUE(slow);
  std::vector<u8> samples(100);
  for (int i = 0; i < 100; ++i) samples[i] = static_cast<u8>(128 + i);
  fill(*slow, samples);
  slow->play(false);
  std::vector<s16> out = pull(*device, 20);
  EXPECT_EQ(out[0], 0) << "8-bit 128 is the middle";
  EXPECT_EQ(out[2], 128) << "half-way to the next sample (1 << 8)";
  EXPECT_EQ(out[4], 256);
  EXPECT_EQ(slow->getCurrentPosition(), 10u) << "22050 Hz advances one frame per two device frames";
  EXPECT_EQ(slow->getFramesPlayed(), 10u);

  auto fast = device->createBuffer(PcmFormat{.samplesPerSecond = 48000}, 48000 * 4);
  ASSERT_TRUE(fast);
  fast->play(false);
  pull(*device, 44100);
  EXPECT_EQ(fast->getFramesPlayed(), 48000u - 0u) << "one second of device time takes one second of source";
  EXPECT_FALSE(fast->isPlaying());
  // Layouts the mixer cannot read are refused.
  EXPECT_FALSE(device->createBuffer(PcmFormat{.channels = 6}, 1200));
  EXPECT_FALSE(device->createBuffer(PcmFormat{.bitsPerSample = 24}, 1200));
  EXPECT_FALSE(device->createBuffer(PcmFormat{.samplesPerSecond = 0}, 1200));
  EXPECT_FALSE(device->createBuffer(PcmFormat{}, 3)) << "smaller than one frame";
}

TEST(SoundDevice, VolumeIsHundredthsOfADecibelAndTheFloorIsSilence) {
  auto device = platform::createNullSoundDevice();
  auto buffer = device->createBuffer(PcmFormat{}, 64 * 4);
  ASSERT_TRUE(buffer);
  std::vector<u8> loud;
  for (int f = 0; f < 64; ++f) loud.insert(loud.end(), {0x10, 0x27, 0xF0, 0xD8});  // +10000, -10000
  fill(*buffer, loud);
  buffer->play(true);
  EXPECT_EQ(pull(*device, 1)[0], 10000);
  buffer->setVolume(-2000);
  EXPECT_EQ(buffer->getVolume(), -2000);
  std::vector<s16> tenth = pull(*device, 1);
  EXPECT_EQ(tenth[0], 1000);
  EXPECT_EQ(tenth[1], -1000);
  buffer->setVolume(-600);
  EXPECT_NEAR(pull(*device, 1)[0], 10000 * std::pow(10.0, -0.3), 1.0);
  buffer->setVolume(-20000);
  EXPECT_EQ(buffer->getVolume(), -10000) << "clamped";
  EXPECT_EQ(pull(*device, 16), std::vector<s16>(32, 0));
  buffer->setVolume(500);
  EXPECT_EQ(buffer->getVolume(), 0) << "no gain above the data as written";

  // Two loud buffers together clamp to sixteen bits instead of wrapping.
  buffer->stop();
  std::vector<u8> louder;
  for (int f = 0; f < 4; ++f) louder.insert(louder.end(), {0x00, 0x60, 0x00, 0xA0});  // +24576, -24576
  auto a = device->createBuffer(PcmFormat{}, 16);
  auto b = device->createBuffer(PcmFormat{}, 16);
  fill(*a, louder);
  fill(*b, louder);
  a->play(false);
  b->play(false);
  EXPECT_EQ(pull(*device, 1), (std::vector<s16>{32767, -32768}));
}

TEST(SoundDevice, SystemDeviceFallsBackToTheDummyDriverAndSaysSoOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: the notice is once per process
  EXPECT_EXIT(
      {
        setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
        auto first = platform::openSystemSoundDevice();
        auto second = platform::openSystemSoundDevice();
        bool dummy = first && std::strcmp(first->getDriverName(), "dummy") == 0;
        std::fprintf(stderr, "driver=%s\n", first ? first->getDriverName() : "none");
        std::_Exit(dummy ? 0 : 1);
      },
      testing::ExitedWithCode(0),
      "^Sound: no audio device could be opened \\([^\n]*\\); the music plays on SDL's silent dummy "
      "driver.\ndriver=dummy\n$");
}

TEST(SoundDevice, SystemDeviceConsumesSamplesOnTheDummyDriver) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  auto device = platform::openSystemSoundDevice();
  ASSERT_TRUE(device);
  EXPECT_STREQ(device->getDriverName(), "dummy");
  auto buffer = device->createBuffer(PcmFormat{}, 1024 * 4);
  ASSERT_TRUE(buffer);
  buffer->play(true);
  // Waits for the driver's thread without asserting on how long it takes.
  while (buffer->getFramesPlayed() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_GT(buffer->getFramesPlayed(), 0u);
}
