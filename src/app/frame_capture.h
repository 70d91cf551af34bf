// FrameCapture: the offline renderer's output — each composed frame read back and
// written as a numbered PNG, the matching stretch of music as audio.wav, and,
// for a target ending in .mp4 or .mkv, one video made by ffmpeg.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "demo/frame_observer.h"
#include "framework/types.h"

class CDemoSoundFixedStep;

class FrameCapture : public IFrameObserver {
 public:
  FrameCapture(std::string target, CDemoSoundFixedStep* pClock, int width, int height, u32 showEndMs);

  // Makes the output folder (or checks for ffmpeg); false with error() set.
  bool prepare();
  void onFrameComposed(u32 demoTime) override;
  // Writes the music stretch and, for a video target, runs ffmpeg.
  bool finish(const char* musicFile, u32 startMs);

  const std::string& error() const { return mError; }
  u64 framesWritten() const { return mFrames; }
  static bool isVideoTarget(const std::string& target);

 private:
  void printProgress(u32 demoTime);

  std::string mTarget;
  std::string mFrameFolder;
  CDemoSoundFixedStep* mpClock;  // borrowed: the demo manager owns it
  int mWidth;
  int mHeight;
  u32 mShowEndMs;
  u64 mFrames = 0;
  std::vector<u8> mPixels;
  std::string mError;
  std::chrono::steady_clock::time_point mStarted;
};
