// FrameCapture: the offline renderer's output — each composed frame read back and
// written as a PNG numbered by its place in the whole run, the music of exactly
// those frames as audio.wav, the run's description as capture.txt (what
// scripts/assemble joins pieces by), and, for a target ending in .mp4 or .mkv,
// one video made by ffmpeg. Frames are read back through a short ring and written
// by worker threads, so capture runs near the speed of the frame.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/png_writer_pool.h"
#include "demo/frame_observer.h"
#include "framework/types.h"

class CDemoSoundFixedStep;
namespace platform {
class PixelReadback;
}

class FrameCapture : public IFrameObserver {
 public:
  FrameCapture(std::string target, CDemoSoundFixedStep* pClock, int width, int height, u32 showEndMs);
  ~FrameCapture() override;

  // Makes the output folder (or checks for ffmpeg); false with error() set.
  bool prepare();
  // A piece of a longer run: its first frame's number in that run (0 by default).
  void setFirstFrame(u64 frame) { mFirstFrame = frame; }
  void onFrameComposed(u32 demoTime) override;
  // Takes the frames still in flight (the GL context must still be there), waits
  // for the writers, then writes the music of the frames, capture.txt and, for a
  // video target, runs ffmpeg.
  bool finish(const char* musicFile, u32 startMs);

  const std::string& error() const { return mError; }
  u64 framesWritten() const { return mFrames; }
  static bool isVideoTarget(const std::string& target);
  static constexpr std::chrono::seconds LOG_LINE_INTERVAL{5};

 private:
  void printProgress(u32 demoTime);
  void submitFrame(std::vector<u8>&& pixels);
  bool drainFrames();
  bool writeDescription(u32 startMs, u32 fps) const;

  std::string mTarget;
  std::string mFrameFolder;
  CDemoSoundFixedStep* mpClock;  // borrowed: the demo manager owns it
  int mWidth;
  int mHeight;
  u32 mShowEndMs;
  u64 mFirstFrame = 0;
  u64 mFrames = 0;
  u64 mSubmitted = 0;  // frames handed to the writers
  std::unique_ptr<platform::PixelReadback> mpReadback;
  std::unique_ptr<PngWriterPool> mpWriters;
  std::string mError;
  std::chrono::steady_clock::time_point mStarted;
  // A terminal gets one line redrawn in place; a log (a pipe, a file, a render
  // farm's job log) a plain line every few seconds.
  bool mTerminal = false;
  std::chrono::steady_clock::time_point mLastLogLine{};
};
