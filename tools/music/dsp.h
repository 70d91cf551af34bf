// Deterministic sound building blocks for the music generator: sine, exponent,
// seeded noise, band-limited oscillators and filters. Only IEEE basic arithmetic,
// floor, frexp, ldexp and sqrt are used, so every machine computes the same samples.
#pragma once

#include <cstdint>

namespace orvane::music {

inline constexpr double kTwoPi = 6.283185307179586476925;

// sin(2·pi·phase); the phase is in cycles so that oscillators never wrap radians.
double sineCycles(double phase);
inline double cosineCycles(double phase) { return sineCycles(phase + 0.25); }
double exp2Det(double x);
double log2Det(double x);  // x > 0
inline double expDet(double x) { return exp2Det(x * 1.4426950408889634074); }
inline double midiToHz(double note) { return 440.0 * exp2Det((note - 69.0) / 12.0); }
// Smooth saturation that never exceeds one in magnitude.
double softClip(double x);

// splitmix64: a seed scrambler, also used to derive per-note seeds.
std::uint64_t mix64(std::uint64_t value);

// White noise in [-1, 1) from a 64-bit state; the same seed always gives the same stream.
class Noise {
 public:
  explicit Noise(std::uint64_t seed) : state_(mix64(seed ^ 0x9e3779b97f4a7c15ULL)) {}
  double next();
  std::uint64_t nextBits();

 private:
  std::uint64_t state_;
};

// Band-limited sawtooth and square; `phase` in [0, 1), `step` = frequency / rate.
double sawBlep(double phase, double step);
double squareBlep(double phase, double step);

// Trapezoidal state-variable filter (low, band and high pass from one state).
class Svf {
 public:
  // `damping` is 1/Q: 2 is gentle, small values ring.
  void tune(double cutoffHz, double damping);
  void process(double input);
  double low() const { return low_; }
  double band() const { return band_; }
  double high() const { return high_; }

 private:
  double a1_ = 0, a2_ = 0, a3_ = 0, k_ = 1;
  double ic1_ = 0, ic2_ = 0;
  double low_ = 0, band_ = 0, high_ = 0;
};

// Constant-power pan gains for pan in [-1 (left), 1 (right)].
struct PanGains {
  double left, right;
};
PanGains panGains(double pan);

}  // namespace orvane::music
