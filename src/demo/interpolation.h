// CInterpolation: one scalar curve through (value, time) keys, evaluated piecewise
// linearly or as a cardinal spline with a tension. Not shared between threads: an
// evaluation overwrites the segment indices.
#pragma once

#include <vector>

#include "framework/types.h"

class CInterpolation {
 public:
  struct Key {
    f32 value = 0.0f;
    f32 time = 0.0f;
  };
  static constexpr u32 MODE_LINEAR = 0;
  static constexpr u32 MODE_SPLINE = 1;

  CInterpolation() = default;
  virtual ~CInterpolation() = default;

  void setKeys(const Key* pKeys, u32 count);
  // t above 1 wraps once; keys share the segment search of both modes. A curve
  // without keys evaluates to 0; keys with equal times do not divide by zero.
  f32 evaluateLinear(f32 t);
  f32 evaluateSpline(f32 t);
  f32 evaluate(f32 t) { return mode == MODE_SPLINE ? evaluateSpline(t) : evaluateLinear(t); }

  u32 mode = MODE_LINEAR;
  f32 tension = 0.0f;

 private:
  // Sets the indices for t and returns the local parameter along the segment.
  f32 findSegment(f32& t, bool spline);

  std::vector<Key> mKeys;
  s16 mPrevious = 0;
  s16 mCurrent = 0;
  s16 mNext = 0;
  s16 mNextButOne = 0;
};
