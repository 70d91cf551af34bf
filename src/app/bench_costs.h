// BenchCosts: what each scene and post-effect entry cost over a bench run — the
// milliseconds charged to each part (a scene or a table entry with its time window)
// summed over the frames it ran in, and the text table of the costliest ones.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/cost_sum.h"
#include "demo/frame_observer.h"
#include "framework/types.h"

struct BenchCostRow {
  FramePart::Kind kind = FramePart::Kind::Scene;
  std::string name;
  u32 start = 0;
  u32 end = 0;
  s32 line = -1;   // a scene's line
  s32 entry = -1;  // a post-effect entry's place in the table
  u64 frames = 0;       // frames the part ran in
  double totalMs = 0.0;
  double meanMs = 0.0;  // per frame it ran in
  double share = 0.0;   // of all frame time of the run
};

class BenchCosts {
 public:
  void add(const FramePart& part, double ms);
  // Every part, costliest (by total time) first; shares are of allFrameMs.
  std::vector<BenchCostRow> rows(double allFrameMs) const;
  bool empty() const { return mParts.empty(); }

  // The first `limit` rows as an aligned table under a heading line.
  static std::string formatTable(const std::vector<BenchCostRow>& rows, std::size_t limit);

 private:
  using Key = std::tuple<int, std::string, u32, u32, s32, s32>;
  std::map<Key, CostSum> mParts;
};
