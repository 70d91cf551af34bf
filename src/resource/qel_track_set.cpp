// Track evaluation: linear rotation, alpha and scale; positions on a parabola
// through three neighbouring keys. Parts or keys that are missing give defaults.
#include "resource/qel_track_set.h"

#include <cmath>

namespace {

f32 lerp(f32 a, f32 b, f32 u) { return a * (1.0f - u) + b * u; }

}  // namespace

QelKey QelTrackSet::evaluate(const std::string& part, f32 time) const {
  QelKey result = interpolate(part, time);
  // Keys are finite when read, but huge ones can still overflow between keys;
  // what is not a number then must not reach the matrices.
  f32* values[] = {result.rotation, &result.alpha, result.scale, result.position};
  const QelKey fallback;
  const f32* defaults[] = {fallback.rotation, &fallback.alpha, fallback.scale, fallback.position};
  const int widths[] = {3, 1, 3, 3};
  for (int group = 0; group < 4; ++group) {
    for (int axis = 0; axis < widths[group]; ++axis) {
      if (!std::isfinite(values[group][axis])) values[group][axis] = defaults[group][axis];
    }
  }
  return result;
}

QelKey QelTrackSet::interpolate(const std::string& part, f32 time) const {
  QelKey result;
  if (!(time >= 0.0f)) {
    time = 0.0f;  // NaN as well
  }
  const std::size_t count = times.size();
  const auto found = parts.find(part);
  if (count == 0 || found == parts.end()) {
    return result;
  }
  const std::vector<QelKey>& keys = found->second;
  // A part with fewer keys than key times is damaged data: use what it has.
  auto key = [&keys](std::size_t index) -> const QelKey* {
    return index < keys.size() ? &keys[index] : nullptr;
  };
  if (count == 1) {
    if (const QelKey* only = key(0)) result = *only;
    return result;
  }
  std::size_t k = count;
  for (std::size_t i = 0; i + 1 < count; ++i) {
    if (times[i] <= time && time <= times[i + 1]) {
      k = i;
      break;
    }
  }
  if (k == count) {
    if (const QelKey* last = key(count - 1)) result = *last;
    return result;
  }
  const QelKey* a = key(k);
  const QelKey* b = key(k + 1);
  if (!a || !b) {
    return result;
  }
  const f32 span = times[k + 1] - times[k];
  const f32 u = span != 0.0f ? (time - times[k]) / span : 0.0f;
  for (int axis = 0; axis < 3; ++axis) {
    result.rotation[axis] = lerp(a->rotation[axis], b->rotation[axis], u);
    result.scale[axis] = lerp(a->scale[axis], b->scale[axis], u);
  }
  result.alpha = lerp(a->alpha, b->alpha, u);

  if (count == 2) {
    for (int axis = 0; axis < 3; ++axis) result.position[axis] = lerp(a->position[axis], b->position[axis], u);
    return result;
  }
  const f32 uu = u * u;
  if (k == 0) {
    const QelKey* c = key(2);
    if (!c) return result;
    for (int axis = 0; axis < 3; ++axis) {
      result.position[axis] = 0.5f * (a->position[axis] * (uu - 3.0f * u + 2.0f) +
                                      b->position[axis] * (4.0f * u - 2.0f * uu) + c->position[axis] * (uu - u));
    }
  } else {
    const QelKey* before = key(k - 1);
    if (!before) return result;
    for (int axis = 0; axis < 3; ++axis) {
      result.position[axis] = 0.5f * (before->position[axis] * (uu - u) + a->position[axis] * (2.0f - 2.0f * uu) +
                                      b->position[axis] * (uu + u));
    }
  }
  return result;
}
