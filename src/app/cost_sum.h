// CostSum: milliseconds summed over the times a part of the frame was drawn, and
// the ranking the bench's cost tables share: mean per time, share of the run,
// costliest first.
#pragma once

#include <algorithm>
#include <vector>

#include "framework/types.h"

struct CostSum {
  u64 count = 0;
  double ms = 0.0;

  void add(double milliseconds) {
    ++count;
    ms += milliseconds;
  }
  double meanMs() const { return count ? ms / static_cast<double>(count) : 0.0; }
  double shareOf(double allFrameMs) const { return allFrameMs > 0.0 ? ms / allFrameMs : 0.0; }
};

// Costliest (by total time) first; ties keep the order the rows came in, so a
// table built from an ordered map is stable.
template <class Row>
void sortCostliestFirst(std::vector<Row>& rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.totalMs > b.totalMs; });
}
