// QelKey and QelTrackSet: the key-framed tracks of one animated object — per part,
// one ten-float key per key time — and their evaluation at any time.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "framework/types.h"

struct QelKey {
  f32 rotation[3] = {0.0f, 0.0f, 0.0f};  // radians
  f32 alpha = 1.0f;
  f32 scale[3] = {1.0f, 1.0f, 1.0f};
  f32 position[3] = {0.0f, 0.0f, 0.0f};
};

// Copied by value with its object; it never reads a file itself, so it carries
// no reader state.
class QelTrackSet {
 public:
  // The key of a part at time t: rotation, alpha and scale linear between keys,
  // position on a parabola through three neighbouring keys. Before the first key
  // time t counts as 0; after the last the last key holds. A part the object does
  // not have gives the default key.
  QelKey evaluate(const std::string& part, f32 time) const;

  // Keys as the file gave them: a part whose block gave no values holds none
  // and evaluates to the default key, as default keys would.
  std::map<std::string, std::vector<QelKey>> parts;
  std::vector<f32> times;

 private:
  QelKey interpolate(const std::string& part, f32 time) const;
};
