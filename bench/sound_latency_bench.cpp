// The picture against the loudspeaker: how far the demo time a frame would show
// is from the music sample leaving the output at that instant. An emulated
// output keeps a known queue ahead of the listener (as ALSA's periods or a sound
// server's buffer do), so the sample leaving it is known exactly; the demo
// clock is measured with the output's latency taken off and, for comparison,
// ignored. The machine's own output (SDL's dummy driver without a sound card)
// is reported with the latency it claims.
// Usage: sound_latency_bench [seconds per run, default 10] [queue in frames, default 2048]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound_device.h"
#include "sound/demo_sound.h"
#include "sound/wave_format.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr u32 kBlock = 1024;
constexpr f64 kRate = 44100.0;

// A real-time output that mixes a block whenever less than `queue` frames wait
// in front of the listener, and records when each block is heard.
class EmulatedOutput final : public platform::SoundDevice {
 public:
  EmulatedOutput(u32 queue, bool reportLatency)
      : SoundDevice(true), mQueue(queue), mReportLatency(reportLatency) {}
  ~EmulatedOutput() override { stopThread(); }

  const char* getDriverName() const override { return "emulated"; }
  f64 getOutputLatencySeconds() const override { return mReportLatency ? mQueue / kRate : 0.0; }

  void start(platform::SoundBuffer* pBuffer) {
    mpBuffer = pBuffer;
    mThread = std::thread([this] { run(); });
  }
  void stopThread() {
    mRunning = false;
    if (mThread.joinable()) mThread.join();
  }

  // Frames of the buffer that have left the output at `now` (fractional).
  bool framesHeardAt(Clock::time_point now, f64& frames) {
    std::lock_guard<std::mutex> guard(mBlocksMutex);
    for (const Block& block : mBlocks) {
      if (now >= block.start && now < block.start + blockDuration()) {
        const f64 into = std::chrono::duration<f64>(now - block.start).count() * kRate;
        frames = block.bufferFramesBefore + std::min<f64>(into, block.bufferFramesAfter - block.bufferFramesBefore);
        return true;
      }
    }
    return false;
  }

 private:
  struct Block {
    Clock::time_point start;  // when its first frame leaves the output
    f64 bufferFramesBefore;
    f64 bufferFramesAfter;
  };
  static Clock::duration blockDuration() {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<f64>(kBlock / kRate));
  }

  void run() {
    std::vector<s16> out(kBlock * 2);
    Clock::time_point queueEnd = Clock::now();
    while (mRunning) {
      const Clock::time_point now = Clock::now();
      if (queueEnd < now) queueEnd = now;  // an underrun: the next block plays at once
      const f64 waiting = std::chrono::duration<f64>(queueEnd - now).count() * kRate;
      if (waiting < mQueue) {
        const f64 before = static_cast<f64>(mpBuffer->getFramesPlayed());
        mix(out.data(), kBlock);
        const f64 after = static_cast<f64>(mpBuffer->getFramesPlayed());
        std::lock_guard<std::mutex> guard(mBlocksMutex);
        mBlocks.push_back({queueEnd, before, after});
        if (mBlocks.size() > 64) mBlocks.pop_front();
        queueEnd += blockDuration();
        continue;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  }

  const u32 mQueue;
  const bool mReportLatency;
  platform::SoundBuffer* mpBuffer = nullptr;
  std::thread mThread;
  std::atomic<bool> mRunning{true};
  std::mutex mBlocksMutex;
  std::deque<Block> mBlocks;
};

std::string writeWave(f64 seconds) {
  const u32 frames = static_cast<u32>(seconds * kRate);
  const u32 dataSize = frames * 4;
  std::vector<u8> file(44 + dataSize, 0);
  auto put32 = [&file](std::size_t at, u32 v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<u8>(v >> (8 * i));
  };
  auto put16 = [&file](std::size_t at, u16 v) {
    file[at] = static_cast<u8>(v);
    file[at + 1] = static_cast<u8>(v >> 8);
  };
  std::copy_n("RIFF", 4, file.begin());
  put32(4, 36 + dataSize);
  std::copy_n("WAVEfmt ", 8, file.begin() + 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, 2);
  put32(24, 44100);
  put32(28, 176400);
  put16(32, 4);
  put16(34, 16);
  std::copy_n("data", 4, file.begin() + 36);
  put32(40, dataSize);
  const std::string path = (std::filesystem::temp_directory_path() / "orvane_latency_air.wav").string();
  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  std::fwrite(file.data(), 1, file.size(), pFile);
  std::fclose(pFile);
  return path;
}

struct Gap {
  f64 mean = 0;
  f64 maxAbs = 0;
  u64 samples = 0;
};

// Samples the demo time against the sample leaving the output for `seconds`.
Gap measure(const std::string& music, u32 queue, bool reportLatency, f64 seconds) {
  auto device = std::make_unique<EmulatedOutput>(queue, reportLatency);
  EmulatedOutput* pOutput = device.get();
  CDemoSoundREAL demo;
  Gap gap;
  if (!demo.create(std::move(device), music.c_str())) return gap;
  pOutput->start(demo.getSound()->getBuffer());
  demo.play(0);
  const u64 startFrames = demo.getSound()->getBuffer()->getFramesPlayed();
  const Clock::time_point begin = Clock::now();
  f64 sum = 0;
  while (std::chrono::duration<f64>(Clock::now() - begin).count() < seconds) {
    std::this_thread::sleep_for(std::chrono::microseconds(1700));
    const f64 pictureMs = demo.getTime();
    f64 heard = 0;
    if (!pOutput->framesHeardAt(Clock::now(), heard) || heard <= startFrames) continue;
    const f64 heardMs = (heard - static_cast<f64>(startFrames)) * 1000.0 / kRate;
    const f64 difference = pictureMs - heardMs;
    sum += difference;
    gap.maxAbs = std::max(gap.maxAbs, std::fabs(difference));
    ++gap.samples;
  }
  pOutput->stopThread();
  gap.mean = gap.samples ? sum / static_cast<f64>(gap.samples) : 0;
  return gap;
}

}  // namespace

int main(int argc, char** argv) {
  const f64 seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  const u32 queue = argc > 2 ? static_cast<u32>(std::atoi(argv[2])) : 2 * kBlock;
  const std::string music = writeWave(seconds + 5.0);

  if (auto system = platform::openSystemSoundDevice()) {
    std::printf("this machine's output: %s, reported latency %.1f ms\n", system->getDriverName(),
                system->getOutputLatencySeconds() * 1000.0);
  }
  std::printf("emulated output: %u frames (%.1f ms) queued ahead of the listener, %.0f s per run\n", queue,
              queue * 1000.0 / kRate, seconds);
  const Gap ignored = measure(music, queue, false, seconds);
  std::printf("picture - heard, latency ignored:   mean %+6.1f ms, max |gap| %5.1f ms (%llu samples)\n", ignored.mean,
              ignored.maxAbs, static_cast<unsigned long long>(ignored.samples));
  const Gap corrected = measure(music, queue, true, seconds);
  std::printf("picture - heard, latency taken off: mean %+6.1f ms, max |gap| %5.1f ms (%llu samples)\n",
              corrected.mean, corrected.maxAbs, static_cast<unsigned long long>(corrected.samples));
  std::filesystem::remove(music);
  return corrected.samples > 0 ? 0 : 1;
}
