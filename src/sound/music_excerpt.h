// A stretch of the music decoded to PCM and written as a WAVE file, so that an
// offline capture carries exactly the sound that belongs to its frames.
#pragma once

#include <string>
#include <vector>

#include "framework/types.h"
#include "sound/wave_format.h"

struct PcmExcerpt {
  WAVEFORMATEX format{};
  std::vector<u8> bytes;
};

// Decodes lengthMs of the music from startMs (WAVE or Ogg Vorbis); past the end
// of the music the excerpt is silence. False with `error` naming file and problem.
bool readMusicExcerpt(const char* fileName, u32 startMs, u32 lengthMs, PcmExcerpt& excerpt, std::string& error);

// A canonical 44-byte-header PCM WAVE file.
bool writeWaveFile(const std::string& path, const PcmExcerpt& excerpt);
