// Strap paths and ribbons without GL: the sample table, the head on the path and
// the fade ramps walked from the head to the tail; the light-balls timing.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scenes/scene_lightballs.h"
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

// The alphas of a ribbon of that length and fades, from the head down.
std::vector<f32> walk(s32 head, s32 length, s32 fadeIn, f32 fadeInRate, s32 fadeOut, f32 fadeOutRate) {
  StrapRibbon ribbon;
  ribbon.length = length;
  ribbon.fadeInSamples = fadeIn;
  ribbon.fadeInRate = fadeInRate;
  ribbon.fadeOutSamples = fadeOut;
  ribbon.fadeOutRate = fadeOutRate;
  return walk(ribbon, head);
}

}  // namespace

TEST(StrapPath, SamplesRunFromTheFirstPointToExactlyTheLastAndTheHeadStopsOneShort) {
  EXPECT_EQ(pathSampleCount(0.001f), 1001);
  CPass pass;
  pass.buildPath(kLine, 3, 0.0f, 0.001f);
  ASSERT_EQ(pass.getSampleCount(), 1001);
  const PathSample* samples = pass.getSamples();
  EXPECT_EQ(samples[0][0], 0.0f);
  EXPECT_EQ(samples[0][2], 0.0f);
  EXPECT_FLOAT_EQ(samples[1000][0], 2.0f);
  EXPECT_FLOAT_EQ(samples[1000][1], 4.0f);
  EXPECT_NEAR(samples[500][2], 3.0f, 1e-3f);
  PathSample head;
  s32 index = -1;
  const std::pair<f32, s32> heads[] = {{1.0f, 999}, {0.0f, 0}, {3.0f, 999}, {-2.0f, 0}};  // clamped outside 0..1
  for (const auto& [progress, expected] : heads) {
    EXPECT_EQ(pass.evaluatePath(progress, head, index), samples);
    EXPECT_EQ(index, expected) << progress;
  }
  EXPECT_FLOAT_EQ(head[1], 0.0f);
  // The last sample is never a head, also when the step does not divide the path.
  pass.buildPath(kLine, 3, 0.0f, 0.4f);  // samples at 0, 0.4, 0.8 and 1
  EXPECT_EQ(pass.getSampleCount(), 4);
  pass.evaluatePath(1.0f, head, index);
  EXPECT_EQ(index, 2);
  EXPECT_FLOAT_EQ(pass.getSamples()[3][0], 2.0f);
}

TEST(StrapRamp, RisesFromTheHeadHoldsAndFallsToTheTail) {
  const std::vector<f32> alphas = walk(500, 100, 10, 0.1f, 20, 0.05f);
  ASSERT_EQ(alphas.size(), 101u);
  EXPECT_FLOAT_EQ(alphas[0], 0.1f);
  EXPECT_NEAR(alphas[9], 1.0f, 1e-5f);
  EXPECT_NEAR(alphas[50], 1.0f, 1e-5f);
  EXPECT_NEAR(alphas[100], 0.0f, 1e-5f);  // twenty steps down to the tail
  EXPECT_LT(alphas[95], alphas[80]);
  // Fade counts of zero never take their branch, however steep their rate.
  for (f32 alpha : walk(300, 50, 0, 1000.0f, 0, 1000.0f)) EXPECT_EQ(alpha, 0.0f);
  // Without a fade-in the ramp only goes down.
  const std::vector<f32> down = walk(100, 30, 0, 0.0f, 10, 0.1f);
  for (std::size_t i = 1; i < down.size(); ++i) EXPECT_LE(down[i], down[i - 1]);
  EXPECT_LT(down.back(), 0.0f);
  // The tail is clipped at the first sample.
  EXPECT_EQ(ribbonTail(5, 100), 0);
  EXPECT_EQ(ribbonTail(500, 100), 400);
  EXPECT_EQ(walk(0, 100, 0, 0.0f, 0, 0.0f).size(), 1u);
}

TEST(SceneTiming, LightballsBurstAfterSixtyPercentAndFadeOutAtTheEnd) {
  // Three quarters (intensity 0.7, camera 3/8) and the start model's two turns: the scene catalogue.
  EXPECT_FALSE(lightballsTiming(0.5f).drawsEffects);
  EXPECT_EQ(lightballsTiming(0.5f).cameraMix, 0.0f);
  EXPECT_FALSE(lightballsTiming(0.6f).drawsEffects);
  EXPECT_TRUE(lightballsTiming(0.61f).drawsEffects);
  EXPECT_FLOAT_EQ(lightballsTiming(0.9f).intensity, 1.0f);
  EXPECT_NEAR(lightballsTiming(1.0f).intensity, 0.0f, 1e-6f);
  EXPECT_FLOAT_EQ(lightballsTiming(1.0f).cameraMix, 1.0f);
}

TEST(StrapRibbons, ThinningKeepsEverySampleWhereTheAlphaChangesItsStep) {
  // Fades that meet, overlap, run flat between, fill the whole ribbon, or are
  // cut short at the start of the path (the tail clamped at sample 0).
  struct Case {
    s32 head, length, fadeIn, fadeOut;
  };
  for (const Case& c : {Case{300, 200, 40, 30}, Case{300, 200, 120, 100}, Case{300, 200, 0, 30},
                        Case{300, 200, 40, 0}, Case{300, 200, 250, 250}, Case{60, 200, 40, 30}, Case{5, 200, 3, 2}}) {
    StrapRibbon ribbon;
    ribbon.length = c.length;
    ribbon.fadeInSamples = c.fadeIn;
    ribbon.fadeInRate = c.fadeIn ? 1.0f / static_cast<f32>(c.fadeIn) : 0.0f;
    ribbon.fadeOutSamples = c.fadeOut;
    ribbon.fadeOutRate = c.fadeOut ? 1.0f / static_cast<f32>(c.fadeOut) : 0.0f;
    const s32 tail = ribbonTail(c.head, c.length);
    // The strip's alphas: the head point at 0, then the samples.
    std::vector<f32> alphas = {0.0f};
    for (f32 a : walk(ribbon, c.head)) alphas.push_back(a);
    std::vector<StripPoint> strip(alphas.size());
    markRampTurns(ribbon, c.head, tail, strip.data());
    int kept = 0;
    for (std::size_t i = 1; i + 1 < alphas.size(); ++i) {
      const f32 before = alphas[i] - alphas[i - 1];
      const f32 after = alphas[i + 1] - alphas[i];
      if (std::fabs(before - after) > 1e-6f) {
        EXPECT_TRUE(strip[i].keep) << "head " << c.head << ", fades " << c.fadeIn << "/" << c.fadeOut << ": vertex " << i;
      }
      kept += strip[i].keep;
    }
    EXPECT_LE(kept, 5) << "head " << c.head << ": thinning must still be free to leave the rest out";
  }
}
