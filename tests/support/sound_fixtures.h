// Sound test material made on the spot: WAVE bytes (well-formed or damaged on
// purpose), Ogg Vorbis bytes and PCM with a recognisable pattern.
#pragma once

#include <string>
#include <vector>

#include "framework/types.h"
#include "support/temp_dir.h"

namespace soundtest {

struct WaveSpec {
  u16 formatTag = 1;
  u16 channels = 2;
  u32 samplesPerSecond = 44100;
  u16 bitsPerSample = 16;
  u32 fmtChunkSize = 16;         // 16, 18, or longer to make an unsupported file
  bool junkChunkFirst = false;   // a "LIST" chunk before "fmt " the reader must skip
  bool omitData = false;
  s64 dataSizeOverride = -1;     // declared "data" size, when it must lie
};

// A complete RIFF WAVE image around `pcm`.
std::vector<u8> makeWave(const std::vector<u8>& pcm, const WaveSpec& layout = WaveSpec{});

// 16-bit stereo frames that say where they are: left = frame & 0x7FFF,
// right = frame >> 15, so any frame identifies its own index.
std::vector<u8> patternPcm(u64 frames);
s16 patternLeft(u64 frame);
s16 patternRight(u64 frame);

// A 440 Hz tone, Ogg Vorbis encoded.
std::vector<u8> makeOgg(f64 seconds, int channels = 2, long rate = 44100);

// Writes the bytes into the scratch directory and returns the file's full path.
inline std::string write(const TempDir& dir, const std::string& name, const std::vector<u8>& bytes) {
  return dir.write(name, std::string(bytes.begin(), bytes.end()));
}

}  // namespace soundtest
