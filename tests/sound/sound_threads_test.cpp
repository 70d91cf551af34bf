// The sound player with its device mixing on a thread of its own, as a real
// device's callback does, while the main thread seeks, pauses and resumes and
// the worker refills the stream: what the ThreadSanitizer build watches.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "sound/demo_sound.h"
#include "support/sound_fixtures.h"

namespace {

// Mixes in device-sized steps on its own thread, as far as the main thread has
// asked: a device that ran free would play the whole track out between two seeks.
class CallbackThread {
 public:
  explicit CallbackThread(platform::SoundDevice& device)
      : mThread([this, &device] {
          std::vector<s16> out(2 * kStep);
          while (!mDone.load()) {
            if (mFrames.load() >= mWanted.load()) {
              std::this_thread::yield();
              continue;
            }
            device.mix(out.data(), kStep);
            mHeard.store(mHeard.load() || out[0] != 0 || out[1] != 0);
            mFrames.fetch_add(kStep);
          }
        }) {}
  ~CallbackThread() {
    mDone.store(true);
    mThread.join();
  }

  // Lets the device mix a few more steps and waits for them (bounded by steps, not time).
  void mixSome() {
    const u64 until = mWanted.fetch_add(4 * kStep) + 4 * kStep;
    for (int spin = 0; spin < 10000000 && mFrames.load() < until; ++spin) std::this_thread::yield();
  }
  bool heard() const { return mHeard.load(); }

 private:
  static constexpr u32 kStep = 512;
  std::atomic<bool> mDone{false};
  std::atomic<bool> mHeard{false};
  std::atomic<u64> mFrames{0};
  std::atomic<u64> mWanted{0};
  std::thread mThread;
};

void seekWhilePlaying(const std::string& path) {
  auto device = platform::createNullSoundDevice();
  platform::SoundDevice& mixer = *device;
  u32 now = 100;
  CDemoSoundREAL demo{[&now] { return now; }};
  ASSERT_TRUE(demo.create(std::move(device), path.c_str()));
  demo.play(0);
  {
    CallbackThread callback(mixer);
    for (u32 step = 0; step < 40; ++step) {
      const u32 target = step * 1237 % 8000;
      demo.seek(target);
      EXPECT_TRUE(demo.isPlaying());
      EXPECT_EQ(demo.getTime(), target);
      callback.mixSome();
      if (step % 5 == 0) {
        demo.stop();
        demo.seek(target + 7);
        EXPECT_FALSE(demo.isPlaying());
        callback.mixSome();
        demo.play(demo.getTime());
      }
      now += 16;
      EXPECT_EQ(demo.getTime(), (step % 5 == 0 ? target + 7 : target) + 16);
      demo.setVolume(step % 2 ? 1.0f : 0.5f);
    }
    callback.mixSome();
    EXPECT_TRUE(callback.heard());
  }
  EXPECT_TRUE(demo.isPlaying());
  demo.stop();
}

}  // namespace

// The Ogg decoder is the streamed track's slower source; a WAVE track takes
// the same worker and callback paths.
TEST(SoundThreads, AStreamedOggTrackSeeksWhileTheDeviceMixesOnItsOwnThread) {
  TempDir dir;
  seekWhilePlaying(soundtest::write(dir, "air.ogg", soundtest::makeOgg(9.0)));
}
