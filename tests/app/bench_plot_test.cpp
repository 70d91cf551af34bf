// The bench's SVG plot on made-up figures: the curve across the show's time, the
// scenes as bands on their line, the budget lines, escaped names.
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
  const auto part = [](const char* name, u32 start, u32 end, s32 line, FramePart::Kind kind = FramePart::Kind::Scene) {
    BenchCostRow row;
    row.kind = kind;
    row.name = name;
    row.start = start;
    row.end = end;
    row.line = line;
    return row;
  };
  figures.parts = {part("a<b&c", 0, 12000, 0), part("late", 12000, 90000, 1), part("never-in-range", 20000, 30000, 0),
                   part("postBlur.fx", 0, 0, 0, FramePart::Kind::PostEffect)};
  return figures;
}

}  // namespace

TEST(BenchPlot, DrawsTheFramesAcrossTheTimelineWithBandsAndBudgetLines) {
  const std::string svg = benchPlotSvg(madeUpFigures());
  EXPECT_EQ(svg.rfind("<svg", 0), 0u);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  // One point per frame, left to right in time; the slowest frame highest.
  const std::size_t begin = svg.find("points=\"");
  ASSERT_NE(begin, std::string::npos) << svg;
  std::vector<std::pair<double, double>> points;
  double x = 0.0, y = 0.0;
  int used = 0;
  for (const char* text = svg.c_str() + begin + 8; std::sscanf(text, "%lf,%lf%n", &x, &y, &used) == 2; text += used) {
    points.emplace_back(x, y);
  }
  ASSERT_EQ(points.size(), 5u) << svg;
  for (std::size_t i = 1; i < points.size(); ++i) EXPECT_GT(points[i].first, points[i - 1].first);
  EXPECT_LT(points[2].second, points[1].second);
  EXPECT_DOUBLE_EQ(points[0].second, points[4].second);
  // Budget lines, bands for the scenes seen with names escaped, none for a scene
  // outside the frames or a post-effect entry, and the time in show seconds.
  for (const char* present : {">16.7 ms<", ">33.3 ms<", "a&lt;b&amp;c", ">late<", ">10<", ">14<"}) {
    EXPECT_NE(svg.find(present), std::string::npos) << present;
  }
  for (const char* absent : {"a<b", "never-in-range", "postBlur.fx"}) EXPECT_EQ(svg.find(absent), std::string::npos) << absent;
}

TEST(BenchPlot, NoFramesStillMakesAPictureAndABadPathFails) {
  const std::string svg = benchPlotSvg(BenchFigures{});
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  const std::size_t points = svg.find("points=\"");
  double x = 0.0, y = 0.0;
  EXPECT_TRUE(points == std::string::npos || std::sscanf(svg.c_str() + points + 8, "%lf,%lf", &x, &y) != 2) << "no curve";
  EXPECT_FALSE(writeBenchPlot((std::filesystem::temp_directory_path() / "no-such-folder-i20" / "x.svg").string(),
                              madeUpFigures()));
}
