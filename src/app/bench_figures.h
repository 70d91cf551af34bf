// BenchFigures: everything a bench run measured, in one value for the writers of
// the plot and the json file (and for tests that feed them made-up figures).
#pragma once

#include <vector>

#include "app/bench_costs.h"
#include "app/frame_bench.h"

struct BenchFigures {
  BenchReport report;
  std::vector<u32> frameTimes;       // demo milliseconds of each frame
  std::vector<double> frameMs;       // its frame time, beside frameTimes
  std::vector<BenchCostRow> parts;   // every scene and post-effect entry, costliest first
};
