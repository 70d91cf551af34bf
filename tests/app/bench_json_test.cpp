// The bench's json file on made-up figures: the summary, the parts with escaped
// names, each frame, and no number json cannot hold.
#include "app/bench_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

BenchFigures madeUpFigures() {
  BenchFigures figures;
  figures.report.frames = 3;
  figures.report.framesPerSecond = 50.0;
  figures.report.medianMs = 20.0;
  figures.report.p95Ms = 30.0;
  figures.report.p99Ms = 30.0;
  figures.report.maxMs = 30.0;
  figures.report.stageShare = {0.25, 0.5, 0.25};
  figures.frameTimes = {1000, 1100, 1200};
  figures.frameMs = {20.0, 30.0, 10.0};
  BenchCostRow scene;
  scene.name = "say \"hi\"\\now";
  scene.start = 500;
  scene.end = 2500;
  scene.line = 1;
  scene.frames = 3;
  scene.totalMs = 15.0;
  scene.meanMs = 5.0;
  scene.share = 0.25;
  BenchCostRow effect;
  effect.kind = FramePart::Kind::PostEffect;
  effect.name = "postBlur.fx";
  effect.entry = 6;
  effect.frames = 3;
  effect.meanMs = std::nan("");
  figures.parts = {scene, effect};
  return figures;
}

}  // namespace

TEST(BenchJson, HoldsTheSummaryThePartsAndEachFrame) {
  const std::string json = benchJson(madeUpFigures());
  for (const char* expected : {
           "\"frames\": 3", "\"frames_per_second\": 50", "\"median_ms\": 20", "\"p95_ms\": 30", "\"max_ms\": 30",
           "\"stage_share\": {\"scenes\": 0.25, \"post_effects\": 0.5, \"composition\": 0.25}",
           "{\"kind\": \"scene\", \"name\": \"say \\\"hi\\\"\\\\now\", \"start_ms\": 500, \"end_ms\": 2500, "
           "\"line\": 1, \"frames\": 3, \"total_ms\": 15, \"mean_ms\": 5, \"share\": 0.25}",
           "{\"kind\": \"post_effect\", \"name\": \"postBlur.fx\", \"start_ms\": 0, \"end_ms\": 0, \"entry\": 6, "
           "\"frames\": 3, \"total_ms\": 0, \"mean_ms\": null",
           "{\"time_ms\": 1100, \"frame_ms\": 30}",
       }) {
    EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;
  }
  EXPECT_EQ(json.find("nan"), std::string::npos) << json;
  EXPECT_EQ(benchJson(BenchFigures{}).find("nan"), std::string::npos);
}

TEST(BenchJson, WritesTheFileOrSaysItCannot) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "orvane-bench-json-test.json";
  ASSERT_TRUE(writeBenchJson(path.string(), madeUpFigures()));
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ(text.str(), benchJson(madeUpFigures()));
  std::filesystem::remove(path);
  EXPECT_FALSE(writeBenchJson((std::filesystem::temp_directory_path() / "no-such-folder-i20" / "x.json").string(),
                              madeUpFigures()));
}
