// FrameBench: frame-time statistics of a fixed-step run — each frame's time from
// its start to after the swap, the share of its stages and the cost of each scene
// and post-effect entry, measured between glFinish boundaries so that queued GL
// work is charged to the stage and part that made it.
#pragma once

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "app/bench_costs.h"
#include "demo/frame_observer.h"
#include "framework/types.h"

class CDemoSoundFixedStep;

struct BenchReport {
  double loadSeconds = 0.0;
  u64 frames = 0;
  double framesPerSecond = 0.0;
  double medianMs = 0.0;
  double p95Ms = 0.0;
  double p99Ms = 0.0;
  double maxMs = 0.0;
  std::array<double, 3> stageShare = {};  // scenes, post effects, composition (of all stage time)
};

// The measured run: each frame's milliseconds, the seconds spent in each stage,
// and the wall-clock seconds from the first frame's start to the last one's end.
struct BenchSamples {
  std::vector<double> frameMs;
  std::vector<u32> frameTimes;  // each frame's demo time, beside frameMs
  std::array<double, 3> stageSeconds = {};
  double wallSeconds = 0.0;
};

class FrameBench : public IFrameObserver {
 public:
  explicit FrameBench(CDemoSoundFixedStep* pClock);

  void setLoadSeconds(double seconds) { mLoadSeconds = seconds; }
  // A capture that takes each composed picture (and advances the clock); null:
  // the bench advances the clock itself.
  void setComposedObserver(IFrameObserver* pObserver) { mpComposed = pObserver; }
  void onFrameStart(u32 demoTime) override;
  void onStageEnd(FrameStage stage) override;
  void onPartEnd(const FramePart& part) override;
  void onFrameComposed(u32 demoTime) override;
  void onFrameEnd() override;

  BenchReport report() const { return summarize(mSamples, mLoadSeconds); }
  static BenchReport summarize(const BenchSamples& samples, double loadSeconds);
  // The summary lines, then the maximum frame time.
  static std::string format(const BenchReport& report);

  const BenchSamples& samples() const { return mSamples; }
  const BenchCosts& costs() const { return mCosts; }

  // Percentile by nearest rank of a sorted list; 0 for an empty one.
  static double percentile(const std::vector<double>& sorted, double fraction);

 private:
  using Clock = std::chrono::steady_clock;
  CDemoSoundFixedStep* mpClock;  // borrowed
  IFrameObserver* mpComposed = nullptr;  // borrowed
  double mLoadSeconds = 0.0;
  BenchSamples mSamples;
  BenchCosts mCosts;
  Clock::time_point mFrameStart;
  Clock::time_point mStageStart;
  Clock::time_point mPartStart;
  Clock::time_point mFirstFrame;
  bool mRunning = false;
};
