// FrameBench: frame-time statistics of a fixed-step run — each frame's time and
// the share of its stages, measured between glFinish boundaries.
#pragma once

#include <array>
#include <chrono>
#include <string>
#include <vector>

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
  std::array<double, 3> stageShare = {};  // scenes, post effects, composition (of all stage time)
};

class FrameBench : public IFrameObserver {
 public:
  explicit FrameBench(CDemoSoundFixedStep* pClock);

  void setLoadSeconds(double seconds) { mLoadSeconds = seconds; }
  void onFrameStart(u32 demoTime) override;
  void onStageEnd(FrameStage stage) override;
  void onFrameComposed(u32 demoTime) override;

  BenchReport report() const;
  static std::string format(const BenchReport& report);

  // Percentile by nearest rank of a sorted list; 0 for an empty one.
  static double percentile(const std::vector<double>& sorted, double fraction);

 private:
  using Clock = std::chrono::steady_clock;
  CDemoSoundFixedStep* mpClock;  // borrowed
  double mLoadSeconds = 0.0;
  std::vector<double> mFrameMs;
  std::array<double, 3> mStageSeconds = {};
  Clock::time_point mFrameStart;
  Clock::time_point mStageStart;
  Clock::time_point mFirstFrame;
  Clock::time_point mLastFrame;
  bool mRunning = false;
};
