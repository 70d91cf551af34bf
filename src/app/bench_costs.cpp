// Cost per scene and post-effect entry, and its text table.
#include "app/bench_costs.h"

#include <cstdio>

void BenchCosts::add(const FramePart& part, double ms) {
  const Key key(static_cast<int>(part.kind), part.pName ? *part.pName : std::string(), part.start, part.end,
                part.line, part.entry);
  mParts[key].add(ms);
}

std::vector<BenchCostRow> BenchCosts::rows(double allFrameMs) const {
  std::vector<BenchCostRow> result;
  result.reserve(mParts.size());
  for (const auto& [key, sum] : mParts) {
    BenchCostRow row;
    row.kind = static_cast<FramePart::Kind>(std::get<0>(key));
    row.name = std::get<1>(key);
    row.start = std::get<2>(key);
    row.end = std::get<3>(key);
    row.line = std::get<4>(key);
    row.entry = std::get<5>(key);
    row.frames = sum.count;
    row.totalMs = sum.ms;
    row.meanMs = sum.meanMs();
    row.share = sum.shareOf(allFrameMs);
    result.push_back(std::move(row));
  }
  sortCostliestFirst(result);  // ties in the map's order: kind, name, window
  return result;
}

std::string BenchCosts::formatTable(const std::vector<BenchCostRow>& rows, std::size_t limit) {
  std::string text = "costliest      what       window (s)          frames   mean ms    share  scene or effect file\n";
  char line[512];
  for (std::size_t i = 0; i < rows.size() && i < limit; ++i) {
    const BenchCostRow& row = rows[i];
    char what[16];
    if (row.kind == FramePart::Kind::Scene) {
      std::snprintf(what, sizeof what, "scene %d", row.line);
    } else {
      std::snprintf(what, sizeof what, "entry %d", row.entry);
    }
    std::snprintf(line, sizeof line, "  %2zu.          %-10s %8.3f-%-8.3f  %7llu %9.2f %6.1f %%  %s\n", i + 1, what,
                  row.start / 1000.0, row.end / 1000.0, static_cast<unsigned long long>(row.frames), row.meanMs,
                  row.share * 100.0, row.name.c_str());
    text += line;
  }
  return text;
}
