// music_gen: renders the music track "air" and writes it as Ogg Vorbis.
// Usage: music_gen OUTPUT.ogg [--report]
// --report prints levels and low/high band balance per section, and per instrument.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "music/arrangement.h"
#include "music/encode.h"
#include "music/render.h"

using namespace orvane::music;

namespace {

// Fixed chunking (not tied to the thread count) keeps the output identical however many cores render it.
constexpr std::int64_t kChunkSamples = 6 * kSamplesPerBar;

StereoBuffer renderWholeTrack(const Track& track) {
  StereoBuffer all;
  all.left.resize(static_cast<std::size_t>(kTrackSamples));
  all.right.resize(static_cast<std::size_t>(kTrackSamples));
  const std::int64_t chunks = (kTrackSamples + kChunkSamples - 1) / kChunkSamples;
  const unsigned threads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
  std::vector<std::thread> workers;
  for (unsigned w = 0; w < threads; ++w) {
    workers.emplace_back([&, w] {
      for (std::int64_t c = w; c < chunks; c += threads) {
        const std::int64_t first = c * kChunkSamples;
        const std::int64_t count = std::min(kChunkSamples, kTrackSamples - first);
        const StereoBuffer part = track.render(first, count);
        std::copy(part.left.begin(), part.left.end(), all.left.begin() + first);
        std::copy(part.right.begin(), part.right.end(), all.right.begin() + first);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  return all;
}

double dbfs(double value) { return value > 0.0 ? 20.0 * std::log10(value) : -999.0; }

void report(const Track& track, const StereoBuffer& all) {
  std::printf("%-10s %8s %8s %8s %8s %8s %8s %6s\n", "section", "start", "end", "peak dB", "rms dB", "low dB",
              "high dB", "width");
  for (const Section& s : kSections) {
    const std::int64_t a = msToSample(s.startMs()), b = msToSample(s.endMs());
    double peak = 0, sum = 0, low = 0, high = 0, side = 0;
    double lpState = 0, hpPrev = 0, hpState = 0;
    for (std::int64_t i = a; i < b; ++i) {
      const double l = all.left[i], r = all.right[i], m = 0.5 * (l + r);
      peak = std::max({peak, std::fabs(l), std::fabs(r)});
      sum += 0.5 * (l * l + r * r);
      side += 0.25 * (l - r) * (l - r);
      lpState += 0.0211 * (m - lpState);  // one pole near 150 Hz
      low += lpState * lpState;
      hpState = 0.55 * (hpState + m - hpPrev);  // one pole high pass near 4 kHz
      hpPrev = m;
      high += hpState * hpState;
    }
    const double n = static_cast<double>(b - a);
    std::printf("%-10s %8d %8d %8.1f %8.1f %8.1f %8.1f %6.2f\n", std::string(s.name).c_str(), s.startMs(), s.endMs(),
                dbfs(peak), dbfs(std::sqrt(sum / n)), dbfs(std::sqrt(low / n)), dbfs(std::sqrt(high / n)),
                std::sqrt(side / sum));
  }
  // Instrument balance, each heard alone (effects included), in a drop and at the end of a build-up.
  const std::pair<const char*, std::int64_t> windows[] = {
      {"climax", msToSample(findSection("climax")->startMs()) + kSamplesPerBar},
      {"buildup2", msToSample(findSection("buildup2")->endMs()) - 2 * kSamplesPerBar}};
  for (const auto& [name, first] : windows)
    for (int i = 0; i < kInstrumentCount; ++i) {
      const Level level = measure(track.render(first, 2 * kSamplesPerBar, 1u << i));
      if (level.peak > 1e-4)
        std::printf("  %-9s %-9s rms %6.1f dB peak %6.1f dB\n", name, instrumentName(static_cast<Instrument>(i)),
                    dbfs(level.rms), dbfs(level.peak));
    }
}

}  // namespace

int main(int argc, char** argv) {
  std::string output;
  bool wantReport = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--report") == 0)
      wantReport = true;
    else if (output.empty())
      output = argv[i];
    else {
      std::fprintf(stderr, "Usage: music_gen OUTPUT.ogg [--report]\n");
      return 2;
    }
  }
  if (output.empty()) {
    std::fprintf(stderr, "Usage: music_gen OUTPUT.ogg [--report]\n");
    return 2;
  }
  const auto started = std::chrono::steady_clock::now();
  const Track track;
  const StereoBuffer all = renderWholeTrack(track);
  const auto rendered = std::chrono::steady_clock::now();
  std::string error;
  if (!writeOggVorbis(output, all, kSampleRate, 0.4f, error)) {
    std::fprintf(stderr, "music_gen: %s\n", error.c_str());
    return 1;
  }
  const auto encoded = std::chrono::steady_clock::now();
  const Level level = measure(all);
  auto seconds = [](auto from, auto to) { return std::chrono::duration<double>(to - from).count(); };
  std::printf("music_gen: %s, %d notes, %.1f s of audio, peak %.2f dBFS, rms %.1f dBFS (render %.1f s, encode %.1f s)\n",
              output.c_str(), static_cast<int>(track.notes().size()), kTrackMs / 1000.0, dbfs(level.peak),
              dbfs(level.rms), seconds(started, rendered), seconds(rendered, encoded));
  if (wantReport) {
    report(track, all);
    DecodedInfo decoded;
    if (!readOggVorbis(output, decoded)) {
      std::fprintf(stderr, "music_gen: cannot read back %s\n", output.c_str());
      return 1;
    }
    std::printf("decoded: %d Hz, %d channels, %lld frames (%.3f s), peak %.2f dBFS, rms %.1f dBFS\n",
                decoded.sampleRate, decoded.channels, static_cast<long long>(decoded.frames),
                static_cast<double>(decoded.frames) / decoded.sampleRate, dbfs(decoded.peak), dbfs(decoded.rms));
  }
  return 0;
}
