// The bench's statistics: nearest-rank percentiles, frames per second over the
// wall-clock time, and the stage shares.
#include "app/frame_bench.h"

#include <gtest/gtest.h>

TEST(FrameBench, PercentilesAreByNearestRank) {
  std::vector<double> sorted;
  for (int i = 1; i <= 100; ++i) sorted.push_back(i);
  EXPECT_DOUBLE_EQ(FrameBench::percentile(sorted, 0.5), 50.0);
  EXPECT_DOUBLE_EQ(FrameBench::percentile(sorted, 0.95), 95.0);
  EXPECT_DOUBLE_EQ(FrameBench::percentile(sorted, 0.99), 99.0);
  EXPECT_DOUBLE_EQ(FrameBench::percentile({7.0}, 0.99), 7.0);
  EXPECT_DOUBLE_EQ(FrameBench::percentile({1.0, 2.0, 3.0}, 0.5), 2.0);
  EXPECT_DOUBLE_EQ(FrameBench::percentile({}, 0.5), 0.0);
  EXPECT_DOUBLE_EQ(FrameBench::percentile({1.0, 2.0}, 0.0), 1.0);
}

TEST(FrameBench, SummaryCountsFramesOverWallTimeAndSharesTheStages) {
  BenchSamples samples;
  // Twenty frames, unsorted: eighteen of 10 ms, one of 30 ms, one of 50 ms.
  for (int i = 0; i < 18; ++i) samples.frameMs.push_back(10.0);
  samples.frameMs.insert(samples.frameMs.begin() + 5, 50.0);
  samples.frameMs.insert(samples.frameMs.begin() + 2, 30.0);
  samples.stageSeconds = {0.15, 0.03, 0.02};
  samples.wallSeconds = 0.25;
  const BenchReport report = FrameBench::summarize(samples, 1.5);
  EXPECT_DOUBLE_EQ(report.loadSeconds, 1.5);
  EXPECT_EQ(report.frames, 20u);
  EXPECT_DOUBLE_EQ(report.framesPerSecond, 80.0);
  EXPECT_DOUBLE_EQ(report.medianMs, 10.0);
  EXPECT_DOUBLE_EQ(report.p95Ms, 30.0);
  EXPECT_DOUBLE_EQ(report.p99Ms, 50.0);
  EXPECT_DOUBLE_EQ(report.stageShare[0], 0.75);
  EXPECT_DOUBLE_EQ(report.stageShare[1], 0.15);
  EXPECT_DOUBLE_EQ(report.stageShare[2], 0.1);

  const std::string text = FrameBench::format(report);
  EXPECT_NE(text.find("frames/s       80.0"), std::string::npos) << text;
  EXPECT_NE(text.find("95th 30.00 ms"), std::string::npos) << text;
  EXPECT_NE(text.find("scenes 75.0 %"), std::string::npos) << text;
  // The largest frame follows the summary lines.
  EXPECT_DOUBLE_EQ(report.maxMs, 50.0);
  EXPECT_NE(text.find("composition 10.0 %\nmax frame      50.00 ms\n"), std::string::npos) << text;
}

TEST(FrameBench, EmptyRunReportsZeros) {
  const BenchReport report = FrameBench::summarize(BenchSamples{}, 0.0);
  EXPECT_EQ(report.frames, 0u);
  EXPECT_DOUBLE_EQ(report.framesPerSecond, 0.0);
  EXPECT_DOUBLE_EQ(report.stageShare[0], 0.0);
}
