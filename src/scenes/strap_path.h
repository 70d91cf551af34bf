// CPass: a smooth 3D path through control points — three spline curves over a
// path parameter from 0 to 1 — sampled once into a table at a fixed step.
// Main thread.
#pragma once

#include <array>
#include <memory>

#include "demo/interpolation.h"
#include "framework/types.h"

// x, y, z and the path parameter w of the point (0 at the first, 1 at the last).
struct StrapPoint {
  f32 x, y, z, w;
};

using PathSample = std::array<f32, 3>;

class CPass {
 public:
  CPass() = default;
  virtual ~CPass() = default;
  CPass(const CPass&) = delete;
  CPass& operator=(const CPass&) = delete;

  // Builds the curves (spline, tension = curveParameter) and samples them every
  // `step` from 0 to 1; the last sample sits exactly at 1. A step that is not
  // positive is fatal.
  void buildPath(const StrapPoint* pPoints, u32 count, f32 curveParameter, f32 step);
  // The position at t (clamped to [0, 1]) and the table sample at or before it.
  const PathSample* evaluatePath(f32 t, PathSample& head, s32& headIndex);

  const PathSample* getSamples() const { return mpSamples.get(); }
  s32 getSampleCount() const { return mSampleCount; }
  f32 getStep() const { return mStep; }

  std::unique_ptr<CInterpolation> mpCurveX;
  std::unique_ptr<CInterpolation> mpCurveY;
  std::unique_ptr<CInterpolation> mpCurveZ;
  std::unique_ptr<PathSample[]> mpSamples;
  f32 mStep = 0.02f;
  s32 mSampleCount = 0;
};

// The table size for a step: 2 - trunc(-1 / step), in single precision (1001 for 0.001).
s32 pathSampleCount(f32 step);
