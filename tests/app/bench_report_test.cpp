// The bench's figures on made-up frames: the statistics, the cost of each scene and
// post-effect entry, and what the json file and the SVG plot hold beyond what a
// real run shows (escaped names, no NaN, bands only for scenes in range). A real run's output and files: bench_files.sh and the Program tests.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <tuple>
#include <vector>

#include "app/bench_costs.h"
#include "app/bench_json.h"
#include "app/bench_plot.h"
#include "app/frame_bench.h"

namespace {

FramePart part(FramePart::Kind kind, const std::string& name, u32 start, u32 end, s32 lineOrEntry) {
  FramePart part;
  part.kind = kind;
  part.pName = &name;
  part.start = start;
  part.end = end;
  (kind == FramePart::Kind::Scene ? part.line : part.entry) = lineOrEntry;
  return part;
}

BenchCostRow row(const char* name, u32 start, u32 end, s32 line, FramePart::Kind kind = FramePart::Kind::Scene) {
  BenchCostRow row;
  row.kind = kind;
  row.name = name;
  row.start = start;
  row.end = end;
  row.line = line;
  return row;
}

const std::string kBadPath = (std::filesystem::temp_directory_path() / "no-such-folder-i20" / "x").string();

}  // namespace

TEST(FrameBench, NearestRankPercentilesFramesPerWallSecondAndStageShares) {
  const std::tuple<std::vector<double>, double, double> percentiles[] = {
      {{7.0}, 0.99, 7.0}, {{1.0, 2.0, 3.0}, 0.5, 2.0}, {{}, 0.5, 0.0}, {{1.0, 2.0}, 0.0, 1.0}};
  for (const auto& [sorted, rank, expected] : percentiles) EXPECT_DOUBLE_EQ(FrameBench::percentile(sorted, rank), expected);

  // Twenty frames, unsorted: eighteen of 10 ms, one of 30 ms, one of 50 ms.
  BenchSamples samples;
  samples.frameMs.assign(18, 10.0);
  samples.frameMs.insert(samples.frameMs.begin() + 5, 50.0);
  samples.frameMs.insert(samples.frameMs.begin() + 2, 30.0);
  samples.stageSeconds = {0.15, 0.03, 0.02};
  samples.wallSeconds = 0.25;
  const BenchReport report = FrameBench::summarize(samples, 1.5);
  EXPECT_EQ(std::make_tuple(report.loadSeconds, report.frames, report.framesPerSecond, report.medianMs, report.p95Ms,
                            report.p99Ms, report.maxMs),
            std::make_tuple(1.5, 20u, 80.0, 10.0, 30.0, 50.0, 50.0));
  EXPECT_DOUBLE_EQ(report.stageShare[0], 0.75);
  EXPECT_DOUBLE_EQ(report.stageShare[2], 0.1);
  const std::string text = FrameBench::format(report);
  EXPECT_NE(text.find("frames/s       80.0"), std::string::npos) << text;
  EXPECT_NE(text.find("composition 10.0 %\nmax frame      50.00 ms\n"), std::string::npos) << text;

  const BenchReport empty = FrameBench::summarize(BenchSamples{}, 0.0);
  EXPECT_EQ(std::make_tuple(empty.frames, empty.framesPerSecond, empty.stageShare[0]), std::make_tuple(0u, 0.0, 0.0));
}

TEST(BenchCosts, PartsAreSummedPerWindowAndEntryRankedByTotalAndTheTableShowsTheCostliest) {
  const std::string cubes = "cubes", blur = "postBlur.fx";
  using Kind = FramePart::Kind;
  BenchCosts costs;
  EXPECT_TRUE(costs.empty());
  // Four frames: the scene in all, the blur in two entries of one file and window,
  // and a second showing of the scene later.
  for (int frame = 0; frame < 4; ++frame) {
    costs.add(part(Kind::Scene, cubes, 0, 1000, 0), 2.0);
    costs.add(part(Kind::PostEffect, blur, 0, 5000, 3), 5.0);
  }
  costs.add(part(Kind::PostEffect, blur, 0, 5000, 4), 1.0);
  costs.add(part(Kind::Scene, cubes, 2000, 3000, 0), 1.0);
  costs.add(part(Kind::Scene, cubes, 2000, 3000, 0), 3.0);
  const std::vector<BenchCostRow> rows = costs.rows(100.0);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(std::make_tuple(rows[0].kind, rows[0].entry, rows[0].frames, rows[0].totalMs, rows[0].meanMs, rows[0].share),
            std::make_tuple(Kind::PostEffect, 3, 4u, 20.0, 5.0, 0.2));
  EXPECT_EQ(std::make_tuple(rows[1].name, rows[1].start, rows[1].totalMs), std::make_tuple(cubes, 0u, 8.0));
  EXPECT_EQ(std::make_tuple(rows[2].start, rows[2].frames, rows[2].meanMs), std::make_tuple(2000u, 2u, 2.0))
      << "the later showing is its own row, its mean over its own frames";
  EXPECT_EQ(std::make_tuple(rows[3].entry, rows[3].share), std::make_tuple(4, 0.01));
  EXPECT_DOUBLE_EQ(costs.rows(0.0)[0].share, 0.0) << "no frame time: no share rather than a division by zero";

  BenchCosts three;
  const std::string fade = "postFade.fx";
  three.add(part(Kind::Scene, cubes, 1500, 30000, 1), 4.0);
  three.add(part(Kind::PostEffect, blur, 0, 192000, 7), 6.0);
  three.add(part(Kind::PostEffect, fade, 0, 4000, 9), 0.5);
  const std::string table = BenchCosts::formatTable(three.rows(20.0), 2);
  ASSERT_LT(table.find("30.0 %  postBlur.fx"), table.find("20.0 %  cubes")) << table;
  EXPECT_NE(table.find("20.0 %  cubes"), std::string::npos) << table;
  for (const char* text : {"entry 7", "scene 1", "0.000-192.000", "1.500-30.000"}) {
    EXPECT_NE(table.find(text), std::string::npos) << text << "\n" << table;
  }
  EXPECT_EQ(table.find("postFade.fx"), std::string::npos) << "beyond the limit: " << table;
}

TEST(BenchFiles, JsonEscapesNamesAndHoldsNoNaNAndThePlotDrawsBandsInRange) {
  BenchFigures figures;
  figures.report.frames = 5;
  figures.report.medianMs = 20.0;
  figures.report.stageShare = {0.25, 0.5, 0.25};
  figures.frameTimes = {10000, 11000, 12000, 13000, 14000};
  figures.frameMs = {10.0, 20.0, 50.0, 20.0, 10.0};
  figures.parts = {row("say \"hi\"\\now", 0, 2500, 1), row("a<b&c", 0, 12000, 0), row("late", 12000, 90000, 1),
                   row("never-in-range", 20000, 30000, 0), row("postBlur.fx", 0, 0, 0, FramePart::Kind::PostEffect)};
  figures.parts.back().entry = 6;
  figures.parts.back().meanMs = std::nan("");

  const std::string json = benchJson(figures);
  for (const char* expected :
       {"\"stage_share\": {\"scenes\": 0.25, \"post_effects\": 0.5, \"composition\": 0.25}",
        "{\"kind\": \"scene\", \"name\": \"say \\\"hi\\\"\\\\now\", \"start_ms\": 0, \"end_ms\": 2500, \"line\": 1,",
        "{\"kind\": \"post_effect\", \"name\": \"postBlur.fx\", \"start_ms\": 0, \"end_ms\": 0, \"entry\": 6,",
        "\"mean_ms\": null", "{\"time_ms\": 12000, \"frame_ms\": 50}"}) {
    EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;
  }
  EXPECT_EQ(json.find("nan"), std::string::npos) << json;
  EXPECT_EQ(benchJson(BenchFigures{}).find("nan"), std::string::npos);

  const std::string svg = benchPlotSvg(figures);
  // Budget lines, bands for the scenes seen with names escaped, none for a scene
  // outside the frames or a post-effect entry, and the time in show seconds.
  for (const char* present : {">16.7 ms<", ">33.3 ms<", "a&lt;b&amp;c", ">late<", ">10<", ">14<"}) {
    EXPECT_NE(svg.find(present), std::string::npos) << present;
  }
  for (const char* absent : {"a<b", "never-in-range", "postBlur.fx"}) EXPECT_EQ(svg.find(absent), std::string::npos) << absent;
  const std::string none = benchPlotSvg(BenchFigures{});
  EXPECT_NE(none.find("</svg>"), std::string::npos) << "no frames still make a picture";
  EXPECT_FALSE(writeBenchPlot(kBadPath, figures));
  EXPECT_FALSE(writeBenchJson(kBadPath, figures));
}
