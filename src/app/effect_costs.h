// EffectCosts: what each effect pass cost over a bench run with --bench-effects:
// every pass is timed between two glFinish calls, so the drawing it queued is
// charged to it, and the text table of the costliest. Main thread only.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/cost_sum.h"
#include "framework/types.h"
#include "resource/pass_observer.h"

struct EffectCostRow {
  std::string effect;  // the effect file as the show names it
  u32 pass = 0;
  u64 passes = 0;       // times the pass was drawn
  double totalMs = 0.0;
  double meanMs = 0.0;  // per time drawn
  double share = 0.0;   // of all frame time of the run
};

class EffectCosts : public IPassObserver {
 public:
  void onPassBegin(const resShader& effect, u32 pass) override;
  void onPassEnd() override;

  void add(const std::string& effect, u32 pass, double ms);
  // Every pass, costliest (by total time) first; shares are of allFrameMs.
  std::vector<EffectCostRow> rows(double allFrameMs) const;
  // The first `limit` rows as an aligned table under a heading line.
  static std::string formatTable(const std::vector<EffectCostRow>& rows, std::size_t limit);

 private:
  std::map<std::pair<std::string, u32>, CostSum> mPasses;
  const resShader* mpOpen = nullptr;  // the pass being drawn
  u32 mOpenPass = 0;
  std::chrono::steady_clock::time_point mStarted;
};
