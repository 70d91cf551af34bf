// Small vector maths and our own sine, cosine and power for the show generator.
// The system maths library may differ in the last bit between machines; these
// do not, so every machine writes the same bytes.
#pragma once

#include <cmath>
#include <cstdint>

namespace orvane::show {

inline constexpr double kPi = 3.14159265358979323846;

// Sine by range reduction to [-pi/2, pi/2] and a Taylor series to the x^17 term.
inline double sine(double x) {
  const double twoPi = 2.0 * kPi;
  double turns = x / twoPi;
  const double whole = static_cast<double>(static_cast<std::int64_t>(turns < 0 ? turns - 1.0 : turns));
  x -= whole * twoPi;            // now in [0, 2 pi)
  if (x > kPi) x -= twoPi;       // (-pi, pi]
  if (x > kPi / 2) x = kPi - x;  // fold into [-pi/2, pi/2]
  if (x < -kPi / 2) x = -kPi - x;
  const double x2 = x * x;
  double term = x;
  double sum = x;
  for (int n = 1; n <= 8; ++n) {
    term = -term * x2 / static_cast<double>((2 * n) * (2 * n + 1));
    sum += term;
  }
  return sum;
}

inline double cosine(double x) { return sine(x + kPi / 2); }

// IEEE square root is correctly rounded everywhere, so the library's is safe.
inline double squareRoot(double x) { return x <= 0 ? 0 : std::sqrt(x); }

inline double clamp01(double x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }
inline double mix(double a, double b, double t) { return a + (b - a) * t; }
inline double smooth(double t) {
  t = clamp01(t);
  return t * t * (3 - 2 * t);
}

// Exponential by squaring of e^(x/64) from its series; enough for pictures.
inline double exponential(double x) {
  const double y = x / 64.0;
  double term = 1, sum = 1;
  for (int n = 1; n < 16; ++n) {
    term *= y / n;
    sum += term;
  }
  for (int i = 0; i < 6; ++i) sum *= sum;
  return sum;
}

struct Vec3 {
  double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double length(Vec3 a) { return squareRoot(dot(a, a)); }
inline Vec3 normalized(Vec3 a) {
  const double l = length(a);
  return l > 0 ? a * (1.0 / l) : Vec3{0, 1, 0};
}
inline Vec3 lerp(Vec3 a, Vec3 b, double t) { return a + (b - a) * t; }

// A repeatable pseudo-random sequence (xorshift), seeded per use.
class Random {
 public:
  explicit Random(std::uint32_t seed) : mState(seed ? seed : 1u) {}
  std::uint32_t next() {
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return mState;
  }
  double unit() { return static_cast<double>(next() % 1000000u) / 1000000.0; }
  double range(double low, double high) { return low + (high - low) * unit(); }

 private:
  std::uint32_t mState;
};

}  // namespace orvane::show
