// WAVEFORMATEX, the PCM format record of WAVE files and of every decoder's
// output: the 18-byte little-endian layout of the file's "fmt " chunk.
// Does not: check that the values make sense; the decoders do.
#pragma once

#include "framework/types.h"

#pragma pack(push, 1)
struct WAVEFORMATEX {
  u16 formatTag;         // 1 = integer PCM
  u16 channels;
  u32 samplesPerSec;
  u32 avgBytesPerSec;
  u16 blockAlign;        // bytes per frame
  u16 bitsPerSample;
  u16 extraSize;         // bytes of format-specific data after the record
};
#pragma pack(pop)

static_assert(sizeof(WAVEFORMATEX) == 18, "the record is read straight from the file");

inline constexpr u16 WAVE_FORMAT_PCM = 1;
