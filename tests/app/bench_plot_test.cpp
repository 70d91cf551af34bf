// The bench's SVG plot on made-up figures: the curve across the show's time, the
// scenes as bands on their line, the 16.7 and 33.3 ms lines, escaped names.
#include "app/bench_plot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

BenchFigures madeUpFigures() {
  BenchFigures figures;
  figures.report.medianMs = 20.0;
  figures.frameTimes = {10000, 11000, 12000, 13000, 14000};
  figures.frameMs = {10.0, 20.0, 50.0, 20.0, 10.0};
  BenchCostRow early;
  early.name = "a<b&c";
  early.start = 0;
  early.end = 12000;
  early.line = 0;
  BenchCostRow late = early;
  late.name = "late";
  late.start = 12000;
  late.end = 90000;
  late.line = 1;
  BenchCostRow outside = early;
  outside.name = "never-in-range";
  outside.start = 20000;
  outside.end = 30000;
  BenchCostRow effect;
  effect.kind = FramePart::Kind::PostEffect;
  effect.name = "postBlur.fx";
  figures.parts = {early, late, outside, effect};
  return figures;
}

std::vector<std::pair<double, double>> curvePoints(const std::string& svg) {
  std::vector<std::pair<double, double>> points;
  const std::size_t begin = svg.find("points=\"");
  if (begin == std::string::npos) return points;
  const std::size_t end = svg.find('"', begin + 8);
  std::string list = svg.substr(begin + 8, end - begin - 8);
  double x = 0.0;
  double y = 0.0;
  int used = 0;
  const char* text = list.c_str();
  while (std::sscanf(text, "%lf,%lf%n", &x, &y, &used) == 2) {
    points.emplace_back(x, y);
    text += used;
  }
  return points;
}

}  // namespace

TEST(BenchPlot, DrawsTheFramesAcrossTheTimelineWithBandsAndBudgetLines) {
  const std::string svg = benchPlotSvg(madeUpFigures());
  EXPECT_EQ(svg.rfind("<svg", 0), 0u);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  // One point per frame, left to right in time; the slowest frame highest.
  const auto points = curvePoints(svg);
  ASSERT_EQ(points.size(), 5u) << svg;
  for (std::size_t i = 1; i < points.size(); ++i) EXPECT_GT(points[i].first, points[i - 1].first);
  EXPECT_LT(points[2].second, points[1].second);
  EXPECT_DOUBLE_EQ(points[0].second, points[4].second);
  EXPECT_DOUBLE_EQ(points[1].second, points[3].second);
  // The budget lines, labelled.
  EXPECT_NE(svg.find(">16.7 ms<"), std::string::npos);
  EXPECT_NE(svg.find(">33.3 ms<"), std::string::npos);
  // Bands for the scenes seen, names escaped; none for a scene outside the frames
  // or for a post-effect entry.
  EXPECT_NE(svg.find("a&lt;b&amp;c"), std::string::npos);
  EXPECT_EQ(svg.find("a<b"), std::string::npos);
  EXPECT_NE(svg.find(">late<"), std::string::npos);
  EXPECT_EQ(svg.find("never-in-range"), std::string::npos);
  EXPECT_EQ(svg.find("postBlur.fx"), std::string::npos);
  // The time axis is in show seconds.
  EXPECT_NE(svg.find(">10<"), std::string::npos);
  EXPECT_NE(svg.find(">14<"), std::string::npos);
}

TEST(BenchPlot, NoFramesStillMakesAPictureAndABadPathFails) {
  const std::string svg = benchPlotSvg(BenchFigures{});
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  EXPECT_TRUE(curvePoints(svg).empty());
  EXPECT_FALSE(writeBenchPlot((std::filesystem::temp_directory_path() / "no-such-folder-i20" / "x.svg").string(),
                              madeUpFigures()));
}
