// FrameCapture: the offline renderer's output — each composed frame read back and
// either written as a PNG numbered by its place in the whole run, with the music
// of exactly those frames as audio.wav and the run's description as capture.txt
// (what scripts/assemble joins pieces by), or, for a target ending in .mp4 or
// .mkv, handed to the video encoder with the music. Frames are read back through
// a short ring and written or encoded on worker threads, so capture runs near the
// speed of the frame.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/movie_encoder_thread.h"
#include "app/png_writer_pool.h"
#include "demo/frame_observer.h"
#include "framework/types.h"
#include "platform/movie_settings.h"

class CDemoSoundFixedStep;
namespace platform {
class PixelReadback;
}

class FrameCapture : public IFrameObserver {
 public:
  FrameCapture(std::string target, CDemoSoundFixedStep* pClock, int width, int height, u32 showEndMs);
  ~FrameCapture() override;

  // A piece of a longer run: its first frame's number in that run (0 by default).
  void setFirstFrame(u64 frame) { mFirstFrame = frame; }
  // The video's encoding; a folder records it in capture.txt for scripts/assemble.
  void setVideoQuality(platform::VideoQuality quality) { mQuality = quality; }
  // Makes the output folder, or creates the video and starts its encoder (the
  // music of the run that starts at startMs goes under the frames); false with
  // error() set.
  bool prepare(const char* musicFile, u32 startMs);
  void onFrameComposed(u32 demoTime) override;
  // Takes the frames still in flight (the GL context must still be there), waits
  // for the writers or the encoder, then writes the music of the frames and
  // capture.txt, or completes the video.
  bool finish();
  // The video encoder has failed: the run may stop, finish() says why.
  bool failed() const { return mpEncoder && mpEncoder->failed(); }

  const std::string& error() const { return mError; }
  u64 framesWritten() const { return mFrames; }
  // Frames written a second over the run (to the end of finish()) and the
  // share of that time the encoder (or the PNG writers, added up) was busy.
  std::string benchLines() const;
  static bool isVideoTarget(const std::string& target);
  static constexpr std::chrono::seconds LOG_LINE_INTERVAL{5};

 private:
  void printProgress(u32 demoTime);
  void submitFrame(std::vector<u8>&& pixels);
  bool drainFrames();
  bool writeDescription(u32 fps) const;

  std::string mTarget;
  std::string mFrameFolder;
  CDemoSoundFixedStep* mpClock;  // borrowed: the demo manager owns it
  int mWidth;
  int mHeight;
  u32 mShowEndMs;
  u64 mFirstFrame = 0;
  std::string mMusicFile;
  u32 mStartMs = 0;
  platform::VideoQuality mQuality = platform::VideoQuality::Archive;
  u64 mFrames = 0;
  u64 mSubmitted = 0;  // frames handed to the writers
  std::unique_ptr<platform::PixelReadback> mpReadback;
  std::unique_ptr<PngWriterPool> mpWriters;
  std::unique_ptr<MovieEncoderThread> mpEncoder;
  std::string mError;
  std::chrono::steady_clock::time_point mStarted;
  double mWallSeconds = 0.0;     // prepare() to the end of finish()
  double mEncoderSeconds = 0.0;  // the encoder's (or writers') busy time
  // A terminal gets one line redrawn in place; a log (a pipe, a file, a render
  // farm's job log) a plain line every few seconds.
  bool mTerminal = false;
  std::chrono::steady_clock::time_point mLastLogLine{};
};
