// How long the show's music lasts, read from the file by the decoder the player
// would pick, without a sound device. The show cannot play past it, so start-up
// checks a --start and the running order against it. Any thread.
#pragma once

#include <optional>
#include <string>

#include "framework/types.h"

namespace sound {

// Milliseconds of sound in the data file (a WAVE or Ogg Vorbis file); nothing
// when no decoder takes it (the player then reports it in its own words).
std::optional<u32> musicLengthMs(const char* pDataPath);

// "2:24" for 144000 ms: minutes and seconds, as a maker reads a music player.
std::string minutesAndSeconds(u32 ms);

}  // namespace sound
