// Ogg Vorbis in and out for the music generator: writes the track with
// libvorbisenc and reads an .ogg back to check what was written.
#pragma once

#include <cstdint>
#include <string>

#include "music/render.h"

namespace orvane::music {

// The Ogg stream serial number; fixed so the same samples give the same file.
inline constexpr int kOggSerial = 0x0a1e2026;

// Encodes two-channel audio at VBR `quality` (-0.1..1); false (with `error`) when it cannot.
bool writeOggVorbis(const std::string& path, const StereoBuffer& audio, int sampleRate, float quality,
                    std::string& error);

struct DecodedInfo {
  int sampleRate = 0;
  int channels = 0;
  std::int64_t frames = 0;
  double peak = 0.0;
  double rms = 0.0;
};

// Decodes the whole file; false when it cannot be opened as Ogg Vorbis.
bool readOggVorbis(const std::string& path, DecodedInfo& info);

}  // namespace orvane::music
