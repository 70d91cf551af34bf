// Linear and cardinal-spline evaluation in single precision.
#include "demo/interpolation.h"

#include <algorithm>

void CInterpolation::setKeys(const Key* pKeys, u32 count) { mKeys.assign(pKeys, pKeys + count); }

f32 CInterpolation::findSegment(f32& t, bool spline) {
  const int count = static_cast<int>(mKeys.size());
  if (t > 1.0f) {
    t -= 1.0f;
  }
  int i = 0;
  while (i < count - 1 && mKeys[i].time < t) {
    ++i;
  }
  if (t <= mKeys[i].time) {
    --i;
  }
  i = std::clamp(i, 0, count - 1);
  mCurrent = static_cast<s16>(i);
  mNext = static_cast<s16>(std::min(i + 1, count - 1));
  if (spline) {
    mPrevious = static_cast<s16>(std::max(i - 1, 0));
    mNextButOne = static_cast<s16>(std::min(mNext + 1, count - 1));
  }
  const f32 span = mKeys[mNext].time - mKeys[mCurrent].time;
  return span != 0.0f ? (t - mKeys[mCurrent].time) / span : 0.0f;
}

f32 CInterpolation::evaluateLinear(f32 t) {
  if (mKeys.empty()) {
    return 0.0f;
  }
  const f32 u = findSegment(t, false);
  const f32 from = mKeys[mCurrent].value;
  return from + (mKeys[mNext].value - from) * u;
}

f32 CInterpolation::evaluateSpline(f32 t) {
  if (mKeys.empty()) {
    return 0.0f;
  }
  const f32 s = findSegment(t, true);
  const f32 p0 = mKeys[mPrevious].value;
  const f32 p1 = mKeys[mCurrent].value;
  const f32 p2 = mKeys[mNext].value;
  const f32 p3 = mKeys[mNextButOne].value;
  const f32 k = (1.0f - tension) * 0.5f;
  const f32 m1 = ((p2 - p1) + (p1 - p0)) * k;
  const f32 m2 = ((p3 - p2) + (p2 - p1)) * k;
  const f32 s2 = s * s;
  const f32 s3 = s2 * s;
  return (2.0f * s3 - 3.0f * s2 + 1.0f) * p1 + (s3 - 2.0f * s2 + s) * m1 + (s3 - s2) * m2 + (3.0f * s2 - 2.0f * s3) * p2;
}
