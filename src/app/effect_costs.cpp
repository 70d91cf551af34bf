// Cost per effect pass, and its text table.
#include "app/effect_costs.h"

#include <algorithm>
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
  Sum& sum = mPasses[{effect, pass}];
  ++sum.passes;
  sum.ms += ms;
}

std::vector<EffectCostRow> EffectCosts::rows(double allFrameMs) const {
  std::vector<EffectCostRow> result;
  result.reserve(mPasses.size());
  for (const auto& [key, sum] : mPasses) {
    EffectCostRow row;
    row.effect = key.first;
    row.pass = key.second;
    row.passes = sum.passes;
    row.totalMs = sum.ms;
    row.meanMs = sum.passes ? sum.ms / static_cast<double>(sum.passes) : 0.0;
    row.share = allFrameMs > 0.0 ? sum.ms / allFrameMs : 0.0;
    result.push_back(std::move(row));
  }
  // Ties keep the map's order (effect, pass) so that the table is stable.
  std::stable_sort(result.begin(), result.end(),
                   [](const EffectCostRow& a, const EffectCostRow& b) { return a.totalMs > b.totalMs; });
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
