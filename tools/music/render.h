// Mixes the notes of "air" into the finished stereo track: sidechain pumping, delay,
// reverb, limiter and the final fade. Any range renders on its own, which keeps
// tests short and lets the generator render chunks in parallel.
#pragma once

#include <cstdint>
#include <vector>

#include "music/score.h"

namespace orvane::music {

struct StereoBuffer {
  std::vector<float> left, right;
};

// Effects are warmed up over this many seconds before a range; their state from
// earlier decays below -150 dB by then, so ranges join without audible seams.
inline constexpr double kWarmupSeconds = 5.0;

class Track {
 public:
  Track();
  const std::vector<Note>& notes() const { return notes_; }

  // Samples [first, first + count) of the finished track (silence past its end).
  // `instrumentMask` has bit i set for Instrument i to be heard; for inspection.
  StereoBuffer render(std::int64_t first, std::int64_t count, std::uint32_t instrumentMask = ~0u) const;

 private:
  std::vector<Note> notes_;
  std::vector<double> kickTimes_;
};

struct Level {
  double peak = 0.0;
  double rms = 0.0;
};
Level measure(const StereoBuffer& buffer);

}  // namespace orvane::music
