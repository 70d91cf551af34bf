// Bench timing and its report.
#include "app/frame_bench.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/gl_finish.h"
#include "sound/fixed_step_clock.h"

FrameBench::FrameBench(CDemoSoundFixedStep* pClock) : mpClock(pClock) {}

void FrameBench::onFrameStart(u32 demoTime) {
  platform::finishGl();
  const Clock::time_point now = Clock::now();
  if (!mRunning) {
    mFirstFrame = now;
    mRunning = true;
  }
  mFrameStart = now;
  mStageStart = now;
  mPartStart = now;
  mSamples.frameTimes.push_back(demoTime);
}

void FrameBench::onStageEnd(FrameStage stage) {
  platform::finishGl();
  const Clock::time_point now = Clock::now();
  mSamples.stageSeconds[static_cast<std::size_t>(stage)] += std::chrono::duration<double>(now - mStageStart).count();
  mStageStart = now;
  mPartStart = now;
}

void FrameBench::onPartEnd(const FramePart& part) {
  platform::finishGl();
  const Clock::time_point now = Clock::now();
  mCosts.add(part, std::chrono::duration<double, std::milli>(now - mPartStart).count());
  mPartStart = now;
}

void FrameBench::onFrameComposed(u32 demoTime) {
  if (mpComposed) {
    mpComposed->onFrameComposed(demoTime);
  } else if (mpClock) {
    mpClock->advance();
  }
}

void FrameBench::onFrameEnd() {
  platform::finishGl();
  const Clock::time_point now = Clock::now();
  mSamples.frameMs.push_back(std::chrono::duration<double, std::milli>(now - mFrameStart).count());
  mSamples.wallSeconds = std::chrono::duration<double>(now - mFirstFrame).count();
}

double FrameBench::percentile(const std::vector<double>& sorted, double fraction) {
  if (sorted.empty()) {
    return 0.0;
  }
  const double rank = std::ceil(fraction * static_cast<double>(sorted.size()));
  const std::size_t index = rank < 1.0 ? 0 : static_cast<std::size_t>(rank) - 1;
  return sorted[std::min(index, sorted.size() - 1)];
}

BenchReport FrameBench::summarize(const BenchSamples& samples, double loadSeconds) {
  BenchReport result;
  result.loadSeconds = loadSeconds;
  result.frames = samples.frameMs.size();
  std::vector<double> sorted = samples.frameMs;
  std::sort(sorted.begin(), sorted.end());
  result.framesPerSecond =
      samples.wallSeconds > 0.0 ? static_cast<double>(sorted.size()) / samples.wallSeconds : 0.0;
  result.medianMs = percentile(sorted, 0.5);
  result.p95Ms = percentile(sorted, 0.95);
  result.p99Ms = percentile(sorted, 0.99);
  result.maxMs = sorted.empty() ? 0.0 : sorted.back();
  const auto& stages = samples.stageSeconds;
  const double stageTotal = stages[0] + stages[1] + stages[2];
  for (std::size_t stage = 0; stage < stages.size(); ++stage) {
    result.stageShare[stage] = stageTotal > 0.0 ? stages[stage] / stageTotal : 0.0;
  }
  return result;
}

std::string FrameBench::format(const BenchReport& report) {
  char text[512];
  std::snprintf(text, sizeof text,
                "load time      %.2f s\n"
                "frames         %llu\n"
                "frames/s       %.1f\n"
                "frame time     median %.2f ms, 95th %.2f ms, 99th %.2f ms\n"
                "stage share    scenes %.1f %%, post effects %.1f %%, composition %.1f %%\n",
                report.loadSeconds, static_cast<unsigned long long>(report.frames), report.framesPerSecond,
                report.medianMs, report.p95Ms, report.p99Ms, report.stageShare[0] * 100.0,
                report.stageShare[1] * 100.0, report.stageShare[2] * 100.0);
  std::string result = text;
  std::snprintf(text, sizeof text, "max frame      %.2f ms\n", report.maxMs);
  return result + text;
}
