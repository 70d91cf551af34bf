// Track evaluation: linear rotation, alpha and scale; parabolic positions.
#include "resource/qel_track_set.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Keys at times 0, 1, 2: position x runs 0, 10, 40; rotation y 0, 1, 2; alpha
// 1, 0.5, 0; scale z 1, 2, 3.
QelTrackSet threeKeys() {
  QelTrackSet tracks;
  tracks.times = {0.0f, 1.0f, 2.0f};
  std::vector<QelKey> keys(3);
  const f32 positions[3] = {0.0f, 10.0f, 40.0f};
  for (int k = 0; k < 3; ++k) {
    keys[k].position[0] = positions[k];
    keys[k].rotation[1] = static_cast<f32>(k);
    keys[k].alpha = 1.0f - 0.5f * static_cast<f32>(k);
    keys[k].scale[2] = 1.0f + static_cast<f32>(k);
  }
  tracks.parts["body"] = keys;
  return tracks;
}

}  // namespace

TEST(QelTracks, PositionsFollowTheParabolaAndTheRestIsLinearClampedAtTheEnds) {
  const QelTrackSet tracks = threeKeys();
  struct Case {
    f32 time, position, rotation, alpha, scale;
  };
  const Case cases[] = {
      // The first segment's parabola runs through keys 0 to 2:
      // 0.5 * (0 * (0.25 - 1.5 + 2) + 10 * (2 - 0.5) + 40 * (0.25 - 0.5)) = 2.5
      {0.5f, 2.5f, 0.5f, 0.75f, 1.5f},
      {1.0f, 10.0f, 1.0f, 0.5f, 2.0f},
      // Later segments use the previous key as well:
      // 0.5 * (0 * (0.25 - 0.5) + 10 * (2 - 0.5) + 40 * (0.25 + 0.5)) = 22.5
      {1.5f, 22.5f, 1.5f, 0.25f, 2.5f},
      {5.0f, 40.0f, 2.0f, 0.0f, 3.0f},
      {-1.0f, 0.0f, 0.0f, 1.0f, 1.0f},
      {std::nanf(""), 0.0f, 0.0f, 1.0f, 1.0f},  // as time 0
  };
  for (const Case& c : cases) {
    const QelKey key = tracks.evaluate("body", c.time);
    EXPECT_FLOAT_EQ(key.position[0], c.position) << c.time;
    EXPECT_FLOAT_EQ(key.rotation[1], c.rotation) << c.time;
    EXPECT_FLOAT_EQ(key.alpha, c.alpha) << c.time;
    EXPECT_FLOAT_EQ(key.scale[2], c.scale) << c.time;
  }
}

TEST(QelTracks, FewKeysUnknownPartsAndOverflowingKeysGiveSafeValues) {
  QelTrackSet tracks;
  tracks.times = {0.0f, 4.0f};
  std::vector<QelKey> keys(2);
  keys[1].position[2] = 8.0f;
  tracks.parts["p"] = keys;
  EXPECT_FLOAT_EQ(tracks.evaluate("p", 1.0f).position[2], 2.0f) << "two keys are linear";
  tracks.times = {3.0f};
  tracks.parts["p"] = {keys[1]};
  EXPECT_FLOAT_EQ(tracks.evaluate("p", 0.0f).position[2], 8.0f) << "one key is constant";
  tracks.times.clear();
  EXPECT_FLOAT_EQ(tracks.evaluate("p", 1.0f).scale[0], 1.0f) << "no times: the default key";
  EXPECT_FLOAT_EQ(threeKeys().evaluate("missing", 0.5f).alpha, 1.0f);
  tracks = threeKeys();
  tracks.parts["short"] = std::vector<QelKey>(1);
  EXPECT_FLOAT_EQ(tracks.evaluate("short", 1.5f).alpha, 1.0f) << "keys 1 and 2 do not exist";

  // The parabola's middle term overflows between huge keys; the result stays finite.
  keys.assign(3, QelKey{});
  for (int k = 0; k < 3; ++k) keys[k].position[1] = k == 1 ? -3.0e38f : 3.0e38f;
  tracks.parts["huge"] = keys;
  EXPECT_TRUE(std::isfinite(tracks.evaluate("huge", 0.5f).position[1]));
}
