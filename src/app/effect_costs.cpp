// Cost per effect pass, and its text table.
#include "app/effect_costs.h"

#include <cstdio>

#include "platform/gl_finish.h"
#include "resource/res_shader.h"

void EffectCosts::onPassBegin(const resShader& effect, u32 pass) {
  // What was queued before belongs to whatever queued it.
  platform::finishGl();
  mpOpen = &effect;
  mOpenPass = pass;
  mStarted = std::chrono::steady_clock::now();
}

void EffectCosts::onPassEnd() {
  if (!mpOpen) return;
  platform::finishGl();
  add(mpOpen->getName(), mOpenPass,
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - mStarted).count());
  mpOpen = nullptr;
}

void EffectCosts::add(const std::string& effect, u32 pass, double ms) {
  mPasses[{effect, pass}].add(ms);
}

std::vector<EffectCostRow> EffectCosts::rows(double allFrameMs) const {
  std::vector<EffectCostRow> result;
  result.reserve(mPasses.size());
  for (const auto& [key, sum] : mPasses) {
    EffectCostRow row;
    row.effect = key.first;
    row.pass = key.second;
    row.passes = sum.count;
    row.totalMs = sum.ms;
    row.meanMs = sum.meanMs();
    row.share = sum.shareOf(allFrameMs);
    result.push_back(std::move(row));
  }
  sortCostliestFirst(result);  // ties in the map's order: effect, pass
  return result;
}

std::string EffectCosts::formatTable(const std::vector<EffectCostRow>& rows, std::size_t limit) {
  std::string text = "costliest effects        drawn   mean ms    share  effect, pass\n";
  char line[512];
  for (std::size_t i = 0; i < rows.size() && i < limit; ++i) {
    const EffectCostRow& row = rows[i];
    std::snprintf(line, sizeof line, "  %2zu.            %10llu %9.2f %6.1f %%  %s, pass %u\n", i + 1,
                  static_cast<unsigned long long>(row.passes), row.meanMs, row.share * 100.0, row.effect.c_str(),
                  row.pass);
    text += line;
  }
  return text;
}
