// Clock sync over streamed playback on the real output (SDL's dummy driver on a
// machine without a sound card): the largest gap between the demo clock and what
// the device has consumed of the music, and the streaming worker's CPU share.
// Usage: sound_clock_sync_bench [seconds, default 60]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound_device.h"
#include "platform/vorbis_encoder.h"
#include "sound/demo_sound.h"

namespace {

f64 processCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

std::string writeMusic(f64 seconds) {
  const long rate = 44100;
  const u64 frames = static_cast<u64>(seconds * rate);
  std::vector<s16> pcm(frames * 2);
  for (u64 f = 0; f < frames; ++f) {
    const double t = static_cast<double>(f) / rate;
    const s16 v = static_cast<s16>(9000.0 * std::sin(2 * M_PI * 330.0 * t) + 6000.0 * std::sin(2 * M_PI * 441.0 * t));
    pcm[f * 2] = pcm[f * 2 + 1] = v;
  }
  const std::vector<u8> ogg = platform::encodeOggVorbis(pcm.data(), frames, 2, rate, 0.2f);
  const std::string path = (std::filesystem::temp_directory_path() / "orvane_clock_sync_air.ogg").string();
  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  std::fwrite(ogg.data(), 1, ogg.size(), pFile);
  std::fclose(pFile);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  const f64 seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
  const std::string path = writeMusic(seconds + 5.0);

  auto device = platform::openSystemSoundDevice();
  if (!device) {
    std::fprintf(stderr, "no sound device, not even the dummy driver\n");
    return 1;
  }
  const std::string driver = device->getDriverName();
  CDemoSoundREAL demo;  // the music clock
  if (!demo.create(std::move(device), path.c_str())) return 1;
  CSound* pSound = demo.getSound();
  platform::SoundBuffer* pBuffer = pSound->getBuffer();
  const f64 rate = pSound->getFormat().samplesPerSec;

  const f64 cpuBefore = processCpuSeconds();
  demo.play(0);
  const u32 wallStart = CDemoSoundREAL::systemMilliseconds();
  const auto start = std::chrono::steady_clock::now();
  f64 maxInterpolated = 0, maxRaw = 0, maxWall = 0, lastWall = 0;
  u64 samples = 0;
  while (std::chrono::duration<f64>(std::chrono::steady_clock::now() - start).count() < seconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const f64 demoMs = demo.getTime();
    const f64 consumedMs = pBuffer->getFramesPlayed() * 1000.0 / rate;          // what the mixes took
    const f64 interpolatedMs = pBuffer->estimateFramesPlayed() * 1000.0 / rate;  // spread over the play time
    const f64 wallMs = CDemoSoundREAL::systemMilliseconds() - wallStart;         // a wall-clock demo time
    maxInterpolated = std::max(maxInterpolated, std::fabs(demoMs - interpolatedMs));
    maxRaw = std::max(maxRaw, std::fabs(demoMs - consumedMs));
    lastWall = wallMs - interpolatedMs;
    maxWall = std::max(maxWall, std::fabs(lastWall));
    ++samples;
  }
  const f64 elapsed = std::chrono::duration<f64>(std::chrono::steady_clock::now() - start).count();
  const f64 workerCpu = pSound->getWorkerCpuSeconds();
  const f64 processCpu = processCpuSeconds() - cpuBefore;
  const bool stillPlaying = demo.isPlaying();

  std::printf("driver: %s, streamed %.1f s (%s), %llu samples of the clock\n", driver.c_str(), elapsed,
              pSound->isStreaming() ? "streaming" : "static", static_cast<unsigned long long>(samples));
  std::printf("device pace: %.1f Hz\n", pBuffer->getFramesPlayed() / elapsed);
  std::printf("max |demo clock - device position, interpolated|: %.2f ms\n", maxInterpolated);
  std::printf("max |demo clock - device position, per mix|:      %.2f ms\n", maxRaw);
  std::printf("wall-clock demo time instead: max gap %.1f ms, %.1f ms at the end\n", maxWall, lastWall);
  std::printf("worker CPU: %.3f s = %.3f %% of a core; whole process: %.2f %%\n", workerCpu,
              100.0 * workerCpu / elapsed, 100.0 * processCpu / elapsed);
  std::printf("still playing: %s\n", stillPlaying ? "yes" : "no");
  std::filesystem::remove(path);
  return stillPlaying ? 0 : 1;
}
