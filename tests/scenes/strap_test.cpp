// Strap paths and ribbons without GL: the sample table, the head on the path and
// the fade ramps walked from the head to the tail.
#include <gtest/gtest.h>

#include <vector>

#include "scenes/scene_lightballs.h"
#include "scenes/scene_start.h"
#include "scenes/strap.h"

namespace {

const StrapPoint kLine[3] = {{0, 0, 0, 0}, {1, 2, 3, 0.5f}, {2, 4, 6, 1}};

// The alphas a ribbon emits from its head down to its tail.
std::vector<f32> walk(const StrapRibbon& ribbon, s32 head) {
  std::vector<f32> alphas;
  const s32 tail = ribbonTail(head, ribbon.length);
  f32 alpha = 0.0f;
  for (s32 j = head; j >= tail; --j) {
    alpha = rampAlpha(ribbon, j, head, tail, alpha);
    alphas.push_back(alpha);
  }
  return alphas;
}

}  // namespace

TEST(StrapPath, AStepOfOneThousandthGivesOneThousandAndOneSamples) {
  EXPECT_EQ(pathSampleCount(0.001f), 1001);
  CPass pass;
  pass.buildPath(kLine, 3, 0.0f, 0.001f);
  EXPECT_EQ(pass.getSampleCount(), 1001);
}

TEST(StrapPath, SamplesRunFromTheFirstPointToExactlyTheLast) {
  CPass pass;
  pass.buildPath(kLine, 3, 0.0f, 0.001f);
  const PathSample* samples = pass.getSamples();
  EXPECT_EQ(samples[0][0], 0.0f);
  EXPECT_EQ(samples[0][2], 0.0f);
  EXPECT_FLOAT_EQ(samples[1000][0], 2.0f);
  EXPECT_FLOAT_EQ(samples[1000][1], 4.0f);
  EXPECT_NEAR(samples[500][2], 3.0f, 1e-3f);
}

TEST(StrapPath, HeadIndexIsNineHundredNinetyNineAtProgressOne) {
  CPass pass;
  pass.buildPath(kLine, 3, 0.0f, 0.001f);
  PathSample head;
  s32 index = -1;
  const PathSample* table = pass.evaluatePath(1.0f, head, index);
  EXPECT_EQ(index, 999);
  EXPECT_EQ(table, pass.getSamples());
  EXPECT_FLOAT_EQ(head[0], 2.0f);
  pass.evaluatePath(0.0f, head, index);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(head[1], 0.0f);
}

TEST(StrapPath, ProgressOutsideZeroToOneIsClamped) {
  CPass pass;
  pass.buildPath(kLine, 3, 0.0f, 0.001f);
  PathSample head;
  s32 index = -1;
  pass.evaluatePath(3.0f, head, index);
  EXPECT_EQ(index, 999);
  pass.evaluatePath(-2.0f, head, index);
  EXPECT_EQ(index, 0);
}

TEST(StrapPath, TheLastSampleIsNeverAHead) {
  CPass pass;
  pass.buildPath(kLine, 3, 0.0f, 0.4f);  // samples at 0, 0.4, 0.8 and 1
  EXPECT_EQ(pass.getSampleCount(), 4);
  PathSample head;
  s32 index = -1;
  pass.evaluatePath(1.0f, head, index);
  EXPECT_EQ(index, 2);
  EXPECT_FLOAT_EQ(pass.getSamples()[3][0], 2.0f);
}

TEST(StrapRamp, FadeCountsOfZeroNeverTakeTheirBranch) {
  StrapRibbon ribbon;
  ribbon.length = 50;
  ribbon.fadeInSamples = 0;
  ribbon.fadeInRate = 1000.0f;  // would show at once if the branch were taken
  ribbon.fadeOutSamples = 0;
  ribbon.fadeOutRate = 1000.0f;
  for (f32 alpha : walk(ribbon, 300)) {
    EXPECT_EQ(alpha, 0.0f);
  }
}

TEST(StrapRamp, RisesFromTheHeadAndFallsToTheTail) {
  StrapRibbon ribbon;
  ribbon.length = 100;
  ribbon.fadeInSamples = 10;
  ribbon.fadeInRate = 0.1f;
  ribbon.fadeOutSamples = 20;
  ribbon.fadeOutRate = 0.05f;
  const std::vector<f32> alphas = walk(ribbon, 500);
  ASSERT_EQ(alphas.size(), 101u);
  EXPECT_FLOAT_EQ(alphas[0], 0.1f);
  EXPECT_NEAR(alphas[9], 1.0f, 1e-5f);
  EXPECT_NEAR(alphas[50], 1.0f, 1e-5f);  // the middle holds
  EXPECT_NEAR(alphas[100], 0.0f, 1e-5f);  // twenty steps down to the tail
  EXPECT_LT(alphas[95], alphas[80]);
}

TEST(StrapRamp, OnlyFadeOutWhenFadeInIsZero) {
  StrapRibbon ribbon;
  ribbon.length = 30;
  ribbon.fadeOutSamples = 10;
  ribbon.fadeOutRate = 0.1f;
  const std::vector<f32> alphas = walk(ribbon, 100);
  for (std::size_t i = 1; i < alphas.size(); ++i) {
    EXPECT_LE(alphas[i], alphas[i - 1]);
  }
  EXPECT_LT(alphas.back(), 0.0f);  // no fade-in: the ramp only goes down
}

TEST(StrapRamp, TheTailIsClippedAtTheFirstSample) {
  EXPECT_EQ(ribbonTail(5, 100), 0);
  EXPECT_EQ(ribbonTail(500, 100), 400);
  StrapRibbon ribbon;
  ribbon.length = 100;
  EXPECT_EQ(walk(ribbon, 0).size(), 1u);  // at progress 0 only sample 0 follows the head
}

TEST(LightballsTiming, OnlyItsQelSceneUntilSixtyPercent) {
  const LightballsTiming half = lightballsTiming(0.5f);
  EXPECT_FALSE(half.drawsEffects);
  EXPECT_EQ(half.cameraMix, 0.0f);
  EXPECT_FALSE(lightballsTiming(0.6f).drawsEffects);
  EXPECT_TRUE(lightballsTiming(0.61f).drawsEffects);
}

TEST(LightballsTiming, IntensityAndCameraMixAlongTheBurst) {
  const LightballsTiming t75 = lightballsTiming(0.75f);
  EXPECT_FLOAT_EQ(t75.intensity, 0.7f);
  EXPECT_FLOAT_EQ(t75.cameraMix, 0.375f);
  EXPECT_FLOAT_EQ(lightballsTiming(0.9f).intensity, 1.0f);
  EXPECT_NEAR(lightballsTiming(1.0f).intensity, 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(lightballsTiming(1.0f).cameraMix, 1.0f);
}

TEST(StartScene, TheModelTurnsSevenHundredTwentyDegreesOverItsSpan) {
  EXPECT_EQ(startModelAngle(0.0f), 0.0f);
  EXPECT_EQ(startModelAngle(1.0f) - startModelAngle(0.0f), 720.0f);
  EXPECT_EQ(startModelAngle(0.25f), 180.0f);
}
