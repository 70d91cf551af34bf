// WAVE and Ogg fixtures for the sound tests, built in memory so no sample files
// need to ship.
#include "support/sound_fixtures.h"

#include <cmath>
#include <initializer_list>

#include "platform/vorbis_encoder.h"

namespace soundtest {
namespace {

// Little-endian fields of 2 or 4 bytes, one after another.
void put(std::vector<u8>& out, u32 bytes, std::initializer_list<u32> values) {
  for (u32 value : values) {
    for (u32 i = 0; i < bytes; ++i) out.push_back(static_cast<u8>(value >> (8 * i)));
  }
}

void putTag(std::vector<u8>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

std::vector<s16> tonePcm(u64 frames, int channels, long rate) {
  std::vector<s16> out(frames * channels);
  for (u64 f = 0; f < frames; ++f) {
    const double value = std::sin(2.0 * M_PI * 440.0 * static_cast<double>(f) / rate) * 12000.0;
    for (int c = 0; c < channels; ++c) out[f * channels + c] = static_cast<s16>(value);
  }
  return out;
}

}  // namespace

std::vector<u8> makeWave(const std::vector<u8>& pcm, const WaveSpec& layout) {
  std::vector<u8> out;
  putTag(out, "RIFF");
  put(out, 4, {0});  // patched below
  putTag(out, "WAVE");
  if (layout.junkChunkFirst) {
    putTag(out, "LIST");
    put(out, 4, {5});
    out.insert(out.end(), {'I', 'N', 'F', 'O', '!', 0});  // odd size plus its pad byte
  }
  putTag(out, "fmt ");
  put(out, 4, {layout.fmtChunkSize});
  const u16 block = static_cast<u16>(layout.channels * (layout.bitsPerSample / 8));
  put(out, 2, {layout.formatTag, layout.channels});
  put(out, 4, {layout.samplesPerSecond, layout.samplesPerSecond * block});
  put(out, 2, {block, layout.bitsPerSample});
  for (u32 i = 16; i < layout.fmtChunkSize; ++i) out.push_back(0);
  if (!layout.omitData) {
    putTag(out, "data");
    put(out, 4, {layout.dataSizeOverride >= 0 ? static_cast<u32>(layout.dataSizeOverride) : static_cast<u32>(pcm.size())});
    out.insert(out.end(), pcm.begin(), pcm.end());
    if (pcm.size() & 1) out.push_back(0);
  }
  const u32 riffSize = static_cast<u32>(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<u8>(riffSize >> (8 * i));
  return out;
}

s16 patternLeft(u64 frame) { return static_cast<s16>(frame & 0x7FFF); }
s16 patternRight(u64 frame) { return static_cast<s16>(frame >> 15); }

std::vector<u8> patternPcm(u64 frames) {
  std::vector<u8> out;
  out.reserve(frames * 4);
  for (u64 f = 0; f < frames; ++f) {
    put(out, 2, {static_cast<u16>(patternLeft(f)), static_cast<u16>(patternRight(f))});
  }
  return out;
}

std::vector<u8> makeOgg(f64 seconds, int channels, long rate) {
  const u64 frames = static_cast<u64>(seconds * rate);
  const std::vector<s16> pcm = tonePcm(frames, channels, rate);
  return platform::encodeOggVorbis(pcm.data(), frames, channels, rate, 0.3f);
}

}  // namespace soundtest
