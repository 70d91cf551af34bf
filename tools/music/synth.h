// The instruments of "air": how each kind of note turns into stereo samples.
// Every note starts from its own fresh state and seed, so a note sounds the same
// whichever stretch of the track is being rendered.
#pragma once

#include <cstdint>

#include "music/score.h"

namespace orvane::music {

// How long the note sounds, tail included, in seconds.
double noteSeconds(const Note& note);

// The first sample of the note on the track's timeline.
std::int64_t noteFirstSample(const Note& note);

// Adds the note to `left`/`right`, which hold track samples [first, first + count).
void renderNote(const Note& note, std::int64_t first, std::int64_t count, double* left, double* right);

}  // namespace orvane::music
