// Deterministic maths and filters shared by every instrument of the music
// generator. Series are used instead of libm so the results do not depend on
// the C library's last-bit rounding.
#include "music/dsp.h"

#include <algorithm>
#include <cmath>

#include "music/arrangement.h"

namespace orvane::music {

double sineCycles(double phase) {
  double x = phase - std::floor(phase);
  if (x >= 0.5) x -= 1.0;
  // Fold onto [-1/4, 1/4] cycles where the Taylor series converges fast.
  if (x > 0.25)
    x = 0.5 - x;
  else if (x < -0.25)
    x = -0.5 - x;
  const double t = kTwoPi * x;
  const double t2 = t * t;
  // Terms up to t^17: the error at the fold edge is below 1e-13.
  double sum = 0.0;
  double term = t;
  for (int k = 1; k <= 17; k += 2) {
    sum += term;
    term *= -t2 / static_cast<double>((k + 1) * (k + 2));
  }
  return sum;
}

double exp2Det(double x) {
  if (x < -1000.0) return 0.0;
  if (x > 1000.0) x = 1000.0;
  const double whole = std::floor(x);
  const double y = (x - whole) * 0.69314718055994530942;
  // e^y for y in [0, ln 2): thirteen terms reach double precision.
  double sum = 1.0;
  double term = 1.0;
  for (int i = 1; i <= 13; ++i) {
    term = term * y / i;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(whole));
}

double log2Det(double x) {
  int exponent = 0;
  const double mantissa = std::frexp(x, &exponent);  // exact: [0.5, 1)
  // ln m = 2·atanh(z) with z = (m - 1)/(m + 1) in (-1/3, 0]; the odd series converges quickly.
  const double z = (mantissa - 1.0) / (mantissa + 1.0);
  const double z2 = z * z;
  double term = z;
  double sum = 0.0;
  for (int k = 1; k <= 41; k += 2) {
    sum += term / k;
    term *= z2;
  }
  return exponent + 2.0 * sum * 1.4426950408889634074;
}

double softClip(double x) { return x / std::sqrt(1.0 + x * x); }

std::uint64_t mix64(std::uint64_t value) {
  value += 0x9e3779b97f4a7c15ULL;
  value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
  value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
  return value ^ (value >> 31);
}

std::uint64_t Noise::nextBits() {
  // xorshift64*: tiny state, fast, good enough for audio noise.
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return state_ * 0x2545f4914f6cdd1dULL;
}

double Noise::next() { return static_cast<double>(nextBits() >> 11) * (2.0 / 9007199254740992.0) - 1.0; }

namespace {

double polyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

}  // namespace

double sawBlep(double phase, double step) { return 2.0 * phase - 1.0 - polyBlep(phase, step); }

double squareBlep(double phase, double step) {
  double value = phase < 0.5 ? 1.0 : -1.0;
  value += polyBlep(phase, step);
  double shifted = phase + 0.5;
  if (shifted >= 1.0) shifted -= 1.0;
  value -= polyBlep(shifted, step);
  return value;
}

void Svf::tune(double cutoffHz, double damping) {
  const double ratio = std::min(std::max(cutoffHz, 10.0), 20000.0) / kSampleRate;
  // tan(pi·f/rate) from the deterministic sine and cosine (which take cycles).
  const double g = sineCycles(ratio * 0.5) / cosineCycles(ratio * 0.5);
  k_ = damping;
  a1_ = 1.0 / (1.0 + g * (g + k_));
  a2_ = g * a1_;
  a3_ = g * a2_;
}

void Svf::process(double input) {
  const double v3 = input - ic2_;
  const double v1 = a1_ * ic1_ + a2_ * v3;
  const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
  ic1_ = 2.0 * v1 - ic1_;
  ic2_ = 2.0 * v2 - ic2_;
  low_ = v2;
  band_ = v1;
  high_ = input - k_ * v1 - v2;
}

PanGains panGains(double pan) {
  const double p = std::min(1.0, std::max(-1.0, pan));
  const double angle = (p + 1.0) * 0.125;  // a quarter cycle across the field
  return {cosineCycles(angle), sineCycles(angle)};
}

}  // namespace orvane::music
