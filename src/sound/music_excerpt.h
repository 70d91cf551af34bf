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

// The music under frames [firstFrame, firstFrame + frameCount) of a fixed-step run
// that starts at startMs with fps frames a second. Frame n begins at sample frame
// floor((startMs / 1000 + n / fps) * rate), so the pieces of one run laid end to end
// are exactly the music of the whole run.
bool readMusicForFrames(const char* fileName, u32 startMs, u32 fps, u64 firstFrame, u64 frameCount,
                        PcmExcerpt& excerpt, std::string& error);

// The first sample frame (at `rate` a second) of frame `frame` of that run.
u64 musicSampleFrameAt(u32 startMs, u32 fps, u64 rate, u64 frame);

// A canonical 44-byte-header PCM WAVE file.
bool writeWaveFile(const std::string& path, const PcmExcerpt& excerpt);
