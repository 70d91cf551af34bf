// The composition of "air" as a list of note events: which instrument plays what,
// when, how loud and where in the stereo field. Pure data, built from the
// arrangement, so any stretch of the track can be rendered on its own.
#pragma once

#include <cstdint>
#include <vector>

namespace orvane::music {

enum class Instrument {
  Kick,
  Snare,
  Clap,
  HatClosed,
  HatOpen,
  Crash,
  Riser,
  Bass,
  Sub,
  Pad,
  Pluck,
  Lead,
  Bell,
  Wind,
  Count
};

inline constexpr int kInstrumentCount = static_cast<int>(Instrument::Count);
const char* instrumentName(Instrument instrument);

struct Note {
  Instrument instrument;
  double start;     // seconds from the start of the track
  double length;    // seconds the note is held (tails ring on after it)
  double pitch;     // MIDI note number
  double velocity;  // 0..1
  double pan;       // -1 left .. 1 right
  double brightFrom;  // filter cutoff (Hz) at the start of the note
  double brightTo;    // ... and at its end; glides between the two
  std::uint64_t seed;  // noise and oscillator phases of this note
};

// Every note of the track, sorted by start time.
std::vector<Note> composeTrack();

}  // namespace orvane::music
