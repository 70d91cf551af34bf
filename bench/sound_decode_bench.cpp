// Ogg Vorbis decoding throughput: the player's quarter-second chunk reads through
// OggVorbisLoader against a bare ov_read loop (platform::VorbisFile) on the same
// file. Compare the two bytes_per_second figures; the chunk path should keep 95 %.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/vorbis_encoder.h"
#include "platform/vorbis_file.h"
#include "sound/ogg_vorbis_loader.h"

namespace {

// Twenty seconds of a chord with a little noise, so the encoder has real work.
const std::string& musicFile() {
  static const std::string path = [] {
    const long rate = 44100;
    const u64 frames = 20 * rate;
    std::vector<s16> pcm(frames * 2);
    u32 noise = 12345;
    for (u64 f = 0; f < frames; ++f) {
      const double t = static_cast<double>(f) / rate;
      for (int c = 0; c < 2; ++c) {
        noise = noise * 1664525u + 1013904223u;
        double v = 0.25 * std::sin(2 * M_PI * 220.0 * t) + 0.2 * std::sin(2 * M_PI * (277.2 + c) * t) +
                   0.15 * std::sin(2 * M_PI * 329.6 * t) + 0.05 * ((noise >> 16) / 32768.0 - 1.0);
        pcm[f * 2 + c] = static_cast<s16>(v * 30000.0);
      }
    }
    std::vector<u8> ogg = platform::encodeOggVorbis(pcm.data(), frames, 2, rate, 0.4f);
    char name[] = "/tmp/orvane_decode_bench_XXXXXX";
    int fd = mkstemp(name);
    std::FILE* pFile = fdopen(fd, "wb");
    std::fwrite(ogg.data(), 1, ogg.size(), pFile);
    std::fclose(pFile);
    return std::string(name);
  }();
  return path;
}

void BM_BareOvRead(benchmark::State& state) {
  std::vector<char> buffer(4096);
  u64 total = 0;
  for (auto _ : state) {
    platform::VorbisFile stream;
    if (stream.openFile(std::fopen(musicFile().c_str(), "rb")) < 0) {
      state.SkipWithError("cannot open the music");
      return;
    }
    long got;
    while ((got = stream.read(buffer.data(), static_cast<int>(buffer.size()))) > 0) total += static_cast<u64>(got);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<s64>(total));
}
BENCHMARK(BM_BareOvRead)->Unit(benchmark::kMillisecond);

void BM_PlayerChunkReads(benchmark::State& state) {
  const s64 chunkSize = 44100;  // what CSound asks for at 44.1 kHz 16-bit stereo
  u64 total = 0;
  for (auto _ : state) {
    OggVorbisLoader loader;
    if (loader.open(musicFile().c_str(), nullptr, 0) != 1) {
      state.SkipWithError("cannot open the music");
      return;
    }
    CSoundLoader::Block chunk;
    while (loader.read(&chunk, -1, chunkSize, false) == 1) benchmark::DoNotOptimize(chunk.get());
    total += loader.getDataSize();
  }
  state.SetBytesProcessed(static_cast<s64>(total));
}
BENCHMARK(BM_PlayerChunkReads)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
