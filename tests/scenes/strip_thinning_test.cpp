// Strip thinning: every vertex left out lies near the chord drawn instead, the
// chord is widened along the same axis as the pieces it replaces, and vertices
// that must stay (wanted, behind the eye or beside one) stay.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "scenes/strip_thinning.h"

namespace {

f32 distanceToSegment(const StripPoint& p, const StripPoint& a, const StripPoint& b) {
  const f32 dx = b.x - a.x;
  const f32 dy = b.y - a.y;
  const f32 lengthSquared = dx * dx + dy * dy;
  f32 t = lengthSquared > 0.0f ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared : 0.0f;
  t = std::clamp(t, 0.0f, 1.0f);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool across(const StripPoint& a, const StripPoint& b) { return std::fabs(b.x - a.x) >= std::fabs(b.y - a.y); }

// Checks what thinning promises of one strip and returns how many vertices stayed.
std::size_t checkThinned(const std::vector<StripPoint>& strip, f32 tolerance, u32 longestRun) {
  std::vector<u32> kept;
  thinStrip(strip.data(), static_cast<u32>(strip.size()), tolerance, longestRun, kept);
  EXPECT_FALSE(kept.empty());
  if (kept.empty()) return 0;
  EXPECT_EQ(kept.front(), 0u);
  EXPECT_EQ(kept.back(), strip.size() - 1);
  std::vector<bool> stays(strip.size(), false);
  for (std::size_t n = 0; n < kept.size(); ++n) {
    stays[kept[n]] = true;
    if (n == 0) continue;
    const u32 a = kept[n - 1];
    const u32 b = kept[n];
    EXPECT_LT(a, b);
    EXPECT_LE(b - a, longestRun);
    for (u32 i = a + 1; i < b; ++i) {
      EXPECT_LE(distanceToSegment(strip[i], strip[a], strip[b]), tolerance * 1.4143f + 1e-3f)
          << "vertex " << i << " left out of the chord " << a << "-" << b;
    }
    for (u32 i = a + 1; i <= b && b > a + 1; ++i) {
      EXPECT_EQ(across(strip[i - 1], strip[i]), across(strip[a], strip[b]))
          << "the chord " << a << "-" << b << " is widened along another axis than the piece ending at " << i;
    }
  }
  for (std::size_t i = 0; i < strip.size(); ++i) {
    const bool besideHidden = (i > 0 && !strip[i - 1].valid) || (i + 1 < strip.size() && !strip[i + 1].valid);
    if (strip[i].keep || !strip[i].valid || besideHidden) EXPECT_TRUE(stays[i]) << "vertex " << i << " must stay";
  }
  return kept.size();
}

}  // namespace

TEST(StripThinning, LeftOutVerticesLieWithinTheToleranceOfTheirChordOnRandomCurves) {
  std::mt19937 random(7);
  std::uniform_real_distribution<f32> unit(0.0f, 1.0f);
  std::size_t totalVertices = 0;
  std::size_t totalKept = 0;
  for (int trial = 0; trial < 300; ++trial) {
    // Arcs and spirals of every size and direction, a few pixels to a few hundred
    // across, sampled a tenth of a pixel to two pixels apart, with a little jitter
    // and now and then a vertex that must stay.
    const f32 radius = 2.0f + 400.0f * unit(random) * unit(random);
    const f32 growth = (unit(random) - 0.5f) * 2.0f;
    const f32 spacing = 0.1f + 1.9f * unit(random);
    const f32 turn = (unit(random) < 0.5f ? -1.0f : 1.0f) * spacing / radius;
    const f32 jitter = unit(random) < 0.3f ? 0.05f : 0.0f;
    f32 angle = unit(random) * 6.2832f;
    f32 r = radius;
    std::vector<StripPoint> strip(200 + static_cast<std::size_t>(unit(random) * 800.0f));
    for (StripPoint& p : strip) {
      p.x = 320.0f + r * std::cos(angle) + jitter * (unit(random) - 0.5f);
      p.y = 180.0f + r * std::sin(angle) + jitter * (unit(random) - 0.5f);
      p.keep = unit(random) < 0.005f;
      angle += turn;
      r = std::max(1.0f, r + growth * spacing * 0.05f);
    }
    const f32 tolerance = trial % 3 == 0 ? 0.05f : 0.2f;
    totalVertices += strip.size();
    totalKept += checkThinned(strip, tolerance, trial % 2 == 0 ? 64u : 8u);
  }
  // Samples this dense are mostly left out: the point of thinning.
  EXPECT_LT(totalKept * 3, totalVertices);
}

TEST(StripThinning, KeepsWhatMustStayAndWhatATighterCourseNeeds) {
  // A straight line half a pixel a step is drawn as chords of the longest run.
  std::vector<StripPoint> line(257);
  for (std::size_t i = 0; i < line.size(); ++i) line[i] = {0.3f + 0.5f * i, 10.0f + 0.2f * i};
  EXPECT_EQ(checkThinned(line, 0.1f, 64), 5u);

  // Behind the eye: the vertex and both neighbours stay, the rest thins.
  std::vector<StripPoint> hidden = line;
  hidden[100].valid = false;
  hidden[100].x = hidden[100].y = 1e30f;
  EXPECT_LE(checkThinned(hidden, 0.1f, 64), 10u);

  // A zigzag of a pixel: nothing can be left out.
  std::vector<StripPoint> zigzag(50);
  for (std::size_t i = 0; i < zigzag.size(); ++i) zigzag[i] = {2.0f * i, (i % 2) ? 1.0f : 0.0f};
  EXPECT_EQ(checkThinned(zigzag, 0.2f, 64), zigzag.size());

  // Out and back along the same line: the turning point stays, or the chord
  // would run from the start to the end and miss it.
  std::vector<StripPoint> hairpin;
  for (int i = 0; i <= 20; ++i) hairpin.push_back({static_cast<f32>(i), 5.0f});
  for (int i = 19; i >= 10; --i) hairpin.push_back({static_cast<f32>(i), 5.0f});
  std::vector<u32> kept;
  thinStrip(hairpin.data(), static_cast<u32>(hairpin.size()), 0.2f, 64, kept);
  EXPECT_NE(std::find(kept.begin(), kept.end(), 20u), kept.end());
  checkThinned(hairpin, 0.2f, 64);

  // Along the diagonal the pieces alternate between their axes: all stay.
  std::vector<StripPoint> diagonal(40);
  for (std::size_t i = 0; i < diagonal.size(); ++i) {
    diagonal[i] = {static_cast<f32>(i) + ((i % 2) ? 0.01f : 0.0f), static_cast<f32>(i)};
  }
  EXPECT_EQ(checkThinned(diagonal, 0.2f, 64), diagonal.size());

  // One vertex and none.
  std::vector<StripPoint> single(1);
  EXPECT_EQ(checkThinned(single, 0.2f, 64), 1u);
  kept.clear();
  thinStrip(nullptr, 0, 0.2f, 64, kept);
  EXPECT_TRUE(kept.empty());
}
