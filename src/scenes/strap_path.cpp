// Path curves and their sample table.
#include "scenes/strap_path.h"

#include <algorithm>
#include <vector>

#include "framework/critical_check.h"

s32 pathSampleCount(f32 step) {
  const f32 reciprocal = -1.0f / step;
  return 2 - static_cast<s32>(reciprocal);
}

void CPass::buildPath(const StrapPoint* pPoints, u32 count, f32 curveParameter, f32 step) {
  CRITICAL_CHECK(step > 0.0f, "path step must be positive");
  std::vector<CInterpolation::Key> keys(count);
  auto makeCurve = [&](f32 StrapPoint::*coordinate) {
    for (u32 i = 0; i < count; ++i) {
      keys[i].value = pPoints[i].*coordinate;
      keys[i].time = pPoints[i].w;
    }
    auto pCurve = std::make_unique<CInterpolation>();
    pCurve->setKeys(keys.data(), count);
    pCurve->mode = CInterpolation::MODE_SPLINE;
    pCurve->tension = curveParameter;
    return pCurve;
  };
  mpCurveX = makeCurve(&StrapPoint::x);
  mpCurveY = makeCurve(&StrapPoint::y);
  mpCurveZ = makeCurve(&StrapPoint::z);

  mStep = step;
  mSampleCount = pathSampleCount(step);
  mpSamples = std::make_unique<PathSample[]>(static_cast<std::size_t>(mSampleCount));
  f32 u = 0.0f;
  for (s32 i = 0; i < mSampleCount; ++i) {
    if (i == 0) {
      u = 0.0f;
    }
    if (i == mSampleCount - 1) {
      u = 1.0f;
    }
    mpSamples[i] = {mpCurveX->evaluate(u), mpCurveY->evaluate(u), mpCurveZ->evaluate(u)};
    u = std::min(u + step, 1.0f);
  }
}

const PathSample* CPass::evaluatePath(f32 t, PathSample& head, s32& headIndex) {
  t = std::clamp(t, 0.0f, 1.0f);
  if (mpCurveX) {
    head = {mpCurveX->evaluate(t), mpCurveY->evaluate(t), mpCurveZ->evaluate(t)};
  } else {
    head = {0.0f, 0.0f, 0.0f};
  }
  headIndex = static_cast<s32>(t / mStep);
  if (headIndex >= mSampleCount && headIndex != 0) {
    headIndex = mSampleCount - 1;
  }
  return mpSamples.get();
}
