// Track evaluation: linear rotation, alpha and scale; parabolic positions.
#include "resource/qel_track_set.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

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

TEST(QelTracks, FirstSegmentUsesTheParabolaThroughKeysZeroToTwo) {
  const QelTrackSet tracks = threeKeys();
  const QelKey key = tracks.evaluate("body", 0.5f);
  // 0.5 * (0 * (0.25 - 1.5 + 2) + 10 * (2 - 0.5) + 40 * (0.25 - 0.5)) = 2.5
  EXPECT_FLOAT_EQ(key.position[0], 2.5f);
  EXPECT_FLOAT_EQ(key.rotation[1], 0.5f);
  EXPECT_FLOAT_EQ(key.alpha, 0.75f);
  EXPECT_FLOAT_EQ(key.scale[2], 1.5f);
  EXPECT_FLOAT_EQ(tracks.evaluate("body", 0.0f).position[0], 0.0f);
  EXPECT_FLOAT_EQ(tracks.evaluate("body", 1.0f).position[0], 10.0f);
}

TEST(QelTracks, LaterSegmentsUseThePreviousKeyAsWell) {
  const QelTrackSet tracks = threeKeys();
  // k = 1, u = 0.5: 0.5 * (0 * (0.25 - 0.5) + 10 * (2 - 0.5) + 40 * (0.25 + 0.5)) = 22.5
  const QelKey key = tracks.evaluate("body", 1.5f);
  EXPECT_FLOAT_EQ(key.position[0], 22.5f);
  EXPECT_FLOAT_EQ(key.rotation[1], 1.5f);
  EXPECT_FLOAT_EQ(tracks.evaluate("body", 2.0f).position[0], 40.0f);
}

TEST(QelTracks, OutsideTheKeysClampsToTheEnds) {
  const QelTrackSet tracks = threeKeys();
  const QelKey late = tracks.evaluate("body", 5.0f);
  EXPECT_FLOAT_EQ(late.position[0], 40.0f);
  EXPECT_FLOAT_EQ(late.alpha, 0.0f);
  EXPECT_FLOAT_EQ(late.scale[2], 3.0f);
  EXPECT_FLOAT_EQ(tracks.evaluate("body", -1.0f).position[0], 0.0f);
}

TEST(QelTracks, TwoKeysAreLinearAndOneKeyIsConstant) {
  QelTrackSet tracks;
  tracks.times = {0.0f, 4.0f};
  std::vector<QelKey> keys(2);
  keys[1].position[2] = 8.0f;
  tracks.parts["p"] = keys;
  EXPECT_FLOAT_EQ(tracks.evaluate("p", 1.0f).position[2], 2.0f);
  tracks.times = {3.0f};
  tracks.parts["p"] = {keys[1]};
  EXPECT_FLOAT_EQ(tracks.evaluate("p", 0.0f).position[2], 8.0f);
}

TEST(QelTracks, NoTimesUnknownPartsAndShortTracksGiveTheDefaultKey) {
  QelTrackSet tracks;
  tracks.parts["p"] = std::vector<QelKey>(3);
  QelKey key = tracks.evaluate("p", 1.0f);
  EXPECT_FLOAT_EQ(key.alpha, 1.0f);
  EXPECT_FLOAT_EQ(key.scale[0], 1.0f);
  tracks = threeKeys();
  key = tracks.evaluate("missing", 0.5f);
  EXPECT_FLOAT_EQ(key.position[0], 0.0f);
  tracks.parts["short"] = std::vector<QelKey>(1);
  key = tracks.evaluate("short", 1.5f);  // keys 1 and 2 do not exist
  EXPECT_FLOAT_EQ(key.alpha, 1.0f);
}

TEST(QelTracks, OverflowBetweenHugeKeysAndANaNTimeGiveFiniteValues) {
  QelTrackSet tracks;
  tracks.times = {0.0f, 1.0f, 2.0f};
  std::vector<QelKey> keys(3);
  const f32 huge = 3.0e38f;
  for (int k = 0; k < 3; ++k) {
    keys[k].position[1] = k == 1 ? -huge : huge;  // the parabola's middle term overflows
    keys[k].position[0] = static_cast<f32>(k);
  }
  tracks.parts["p"] = keys;
  const QelKey between = tracks.evaluate("p", 0.5f);
  EXPECT_TRUE(std::isfinite(between.position[1]));
  EXPECT_FLOAT_EQ(between.position[0], 0.5f);  // 0.5 * (1 * 1.5 + 2 * -0.25)
  const QelKey notATime = tracks.evaluate("p", std::nanf(""));  // as time 0
  EXPECT_FLOAT_EQ(notATime.position[0], 0.0f);
}
