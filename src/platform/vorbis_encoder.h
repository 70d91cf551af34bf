// Encodes 16-bit PCM into an Ogg Vorbis byte stream in memory, so that tests and
// benchmarks can make their own music without shipping sample files.
// Does not: write files or stream; the whole result is built at once. Any thread.
#pragma once

#include <vector>

#include "framework/types.h"

namespace platform {

// `pcm` is interleaved, `frames` samples per channel. Quality is vorbisenc's
// VBR scale (-0.1 .. 1.0). Returns an empty vector when the encoder refuses
// the parameters.
std::vector<u8> encodeOggVorbis(const s16* pcm, u64 frames, int channels, long rate,
                                float quality);

}  // namespace platform
