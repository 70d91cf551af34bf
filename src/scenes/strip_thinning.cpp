// Strip thinning: one pass that grows each chord while a cone of directions from
// its first vertex still passes within the tolerance of every vertex it skips.
#include "scenes/strip_thinning.h"

#include <algorithm>
#include <cmath>

namespace {

struct Direction {
  f32 x, y;
};

// Positive when b turns counter-clockwise from a.
f32 turn(Direction a, Direction b) { return a.x * b.y - a.y * b.x; }

// A wide line is widened across its major axis: up and down the window when it
// runs more across than up, else sideways.
bool runsAcross(f32 dx, f32 dy) { return std::fabs(dx) >= std::fabs(dy); }

bool runsAcross(const StripPoint& from, const StripPoint& to) { return runsAcross(to.x - from.x, to.y - from.y); }

// Kept whatever the tolerance: where a vertex is wanted, behind the eye or next
// to such a vertex, and where the strip turns between its two major axes (the
// pieces meet with a notch or an overlap that a single chord would not have).
bool fixedVertex(const StripPoint* pPoints, u32 count, u32 k) {
  if (pPoints[k].keep || !pPoints[k].valid) return true;
  if (k == 0 || k + 1 == count) return true;
  if (!pPoints[k - 1].valid || !pPoints[k + 1].valid) return true;
  return runsAcross(pPoints[k - 1], pPoints[k]) != runsAcross(pPoints[k], pPoints[k + 1]);
}

}  // namespace

void thinStrip(const StripPoint* pPoints, u32 count, f32 tolerance, u32 longestRun, std::vector<u32>& kept) {
  if (count == 0) return;
  kept.push_back(0);
  longestRun = std::max(longestRun, 1u);
  u32 anchor = 0;
  // The directions a chord from the anchor may take: from `right` turning
  // counter-clockwise to `left`. Unset while every skipped vertex lies within the
  // tolerance of the anchor itself.
  bool bounded = false;
  Direction left{0.0f, 0.0f};
  Direction right{0.0f, 0.0f};
  f32 reach = 0.0f;  // the farthest a skipped vertex lies from the anchor

  auto restartAt = [&](u32 k) {
    kept.push_back(k);
    anchor = k;
    bounded = false;
    reach = 0.0f;
  };

  for (u32 k = 1; k < count; ++k) {
    const bool fixed = fixedVertex(pPoints, count, k);
    Direction v{pPoints[k].x - pPoints[anchor].x, pPoints[k].y - pPoints[anchor].y};
    f32 distance = std::sqrt(v.x * v.x + v.y * v.y);
    if (k > anchor + 1) {
      // k could end the chord that skips anchor+1 .. k-1 only if it stays inside
      // the cone, does not fall back behind them, and the chord is not too long.
      const bool inCone = !bounded || (turn(right, v) >= 0.0f && turn(v, left) >= 0.0f);
      // The chord is widened along the same axis as the pieces it stands for. (A
      // vertex behind the eye and its neighbours are fixed, so none ends a chord.)
      const bool ends = inCone && distance >= reach - tolerance && k - anchor <= longestRun &&
                        runsAcross(v.x, v.y) == runsAcross(pPoints[k - 1], pPoints[k]);
      if (!ends) {
        restartAt(k - 1);
        v = {pPoints[k].x - pPoints[anchor].x, pPoints[k].y - pPoints[anchor].y};
        distance = std::sqrt(v.x * v.x + v.y * v.y);
      }
    }
    if (fixed) {
      restartAt(k);
      continue;
    }
    // Narrow the cone to the chords that pass within the tolerance of k.
    if (distance > tolerance) {
      const f32 sine = tolerance / distance;
      const f32 cosine = std::sqrt(1.0f - sine * sine);
      const Direction towardsLeft{v.x * cosine - v.y * sine, v.x * sine + v.y * cosine};
      const Direction towardsRight{v.x * cosine + v.y * sine, -v.x * sine + v.y * cosine};
      if (!bounded) {
        left = towardsLeft;
        right = towardsRight;
        bounded = true;
      } else {
        if (turn(left, towardsLeft) < 0.0f) left = towardsLeft;
        if (turn(right, towardsRight) > 0.0f) right = towardsRight;
      }
    }
    reach = std::max(reach, distance);
  }
}
