// The cost of each scene and post-effect entry: summed per part and window, ranked
// by total, with means over the frames a part ran in and shares of all frame time.
#include "app/bench_costs.h"

#include <gtest/gtest.h>

namespace {

FramePart scene(const std::string& name, u32 start, u32 end, s32 line) {
  FramePart part;
  part.kind = FramePart::Kind::Scene;
  part.pName = &name;
  part.start = start;
  part.end = end;
  part.line = line;
  return part;
}

FramePart entry(const std::string& file, u32 start, u32 end, s32 index) {
  FramePart part;
  part.kind = FramePart::Kind::PostEffect;
  part.pName = &file;
  part.start = start;
  part.end = end;
  part.entry = index;
  return part;
}

}  // namespace

TEST(BenchCosts, PartsAreSummedPerWindowAndEntryAndRankedByTotal) {
  const std::string cubes = "cubes";
  const std::string blur = "postBlur.fx";
  BenchCosts costs;
  EXPECT_TRUE(costs.empty());
  // Four frames: the scene runs in all, the blur in two places of the table (two
  // entries, same file and window), and a second showing of the scene later.
  for (int frame = 0; frame < 4; ++frame) {
    costs.add(scene(cubes, 0, 1000, 0), 2.0);
    costs.add(entry(blur, 0, 5000, 3), 5.0);
  }
  costs.add(entry(blur, 0, 5000, 4), 1.0);
  costs.add(scene(cubes, 2000, 3000, 0), 1.0);
  costs.add(scene(cubes, 2000, 3000, 0), 3.0);
  const std::vector<BenchCostRow> rows = costs.rows(100.0);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].kind, FramePart::Kind::PostEffect);
  EXPECT_EQ(rows[0].entry, 3);
  EXPECT_EQ(rows[0].frames, 4u);
  EXPECT_DOUBLE_EQ(rows[0].totalMs, 20.0);
  EXPECT_DOUBLE_EQ(rows[0].meanMs, 5.0);
  EXPECT_DOUBLE_EQ(rows[0].share, 0.2);
  EXPECT_EQ(rows[1].name, "cubes");
  EXPECT_EQ(rows[1].start, 0u);
  EXPECT_DOUBLE_EQ(rows[1].totalMs, 8.0);
  // The later showing is its own row: mean over its own two frames.
  EXPECT_EQ(rows[2].start, 2000u);
  EXPECT_EQ(rows[2].frames, 2u);
  EXPECT_DOUBLE_EQ(rows[2].meanMs, 2.0);
  EXPECT_EQ(rows[3].entry, 4);
  EXPECT_DOUBLE_EQ(rows[3].share, 0.01);
  // No frame time at all: no share rather than a division by zero.
  EXPECT_DOUBLE_EQ(costs.rows(0.0)[0].share, 0.0);
}

TEST(BenchCosts, TableShowsTheCostliestUpToTheLimit) {
  const std::string cubes = "cubes";
  const std::string blur = "postBlur.fx";
  const std::string fade = "postFade.fx";
  BenchCosts costs;
  costs.add(scene(cubes, 1500, 30000, 1), 4.0);
  costs.add(entry(blur, 0, 192000, 7), 6.0);
  costs.add(entry(fade, 0, 4000, 9), 0.5);
  const std::string table = BenchCosts::formatTable(costs.rows(20.0), 2);
  EXPECT_NE(table.find("costliest"), std::string::npos) << table;
  const std::size_t blurLine = table.find("entry 7");
  const std::size_t cubesLine = table.find("scene 1");
  ASSERT_NE(blurLine, std::string::npos) << table;
  ASSERT_NE(cubesLine, std::string::npos) << table;
  EXPECT_LT(blurLine, cubesLine);
  EXPECT_NE(table.find("0.000-192.000"), std::string::npos) << table;
  EXPECT_NE(table.find("1.500-30.000"), std::string::npos) << table;
  EXPECT_NE(table.find("30.0 %  postBlur.fx"), std::string::npos) << table;
  EXPECT_NE(table.find("20.0 %  cubes"), std::string::npos) << table;
  EXPECT_EQ(table.find("postFade.fx"), std::string::npos) << table;
}
