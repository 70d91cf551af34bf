// Offline capture: read back, then PNG files and the music excerpt, or the video.
#include "app/frame_capture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/frame_count.h"
#include "platform/pixel_readback.h"
#include "sound/fixed_step_clock.h"
#include "sound/music_excerpt.h"

namespace {

bool endsWith(const std::string& text, const char* suffix) {
  const std::size_t length = std::char_traits<char>::length(suffix);
  return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

}  // namespace

FrameCapture::FrameCapture(std::string target, CDemoSoundFixedStep* pClock, int width, int height, u32 showEndMs)
    : mTarget(std::move(target)), mpClock(pClock), mWidth(width), mHeight(height), mShowEndMs(showEndMs) {
  if (!isVideoTarget(mTarget)) mFrameFolder = mTarget;
  mTerminal = isatty(fileno(stderr)) == 1;
}

FrameCapture::~FrameCapture() = default;

bool FrameCapture::isVideoTarget(const std::string& target) {
  return endsWith(target, ".mp4") || endsWith(target, ".mkv");
}

bool FrameCapture::prepare(const char* musicFile, u32 startMs) {
  mMusicFile = musicFile;
  mStartMs = startMs;
  mStarted = std::chrono::steady_clock::now();
  if (isVideoTarget(mTarget)) {
    const u32 fps = mpClock ? mpClock->getFramesPerSecond() : 60;
    MovieEncoderThread::Music music;
    music.file = musicFile;
    music.startMs = startMs;
    music.fps = fps;
    music.firstFrame = mFirstFrame;
    const u64 runFrames = framesInRun(startMs, mShowEndMs, fps);
    music.expectedFrames = runFrames > mFirstFrame ? runFrames - mFirstFrame : 0;
    mpEncoder = std::make_unique<MovieEncoderThread>(mWidth, mHeight, music);
    if (!mpEncoder->start(mTarget, platform::videoEncoding(mQuality))) {
      mError = mpEncoder->error();
      mpEncoder.reset();
      return false;
    }
    return true;
  }
  std::error_code failure;
  std::filesystem::create_directories(mFrameFolder, failure);
  if (failure || !std::filesystem::is_directory(mFrameFolder)) {
    mError = "cannot create the capture folder " + mFrameFolder + ": " + failure.message();
    return false;
  }
  return true;
}

void FrameCapture::onFrameComposed(u32 demoTime) {
  if (!mpReadback) {
    mpReadback = std::make_unique<platform::PixelReadback>(mWidth, mHeight);
    if (!mpEncoder) mpWriters = std::make_unique<PngWriterPool>(mWidth, mHeight);
  }
  // The copy of this frame runs on while the next one is drawn; the frame from a
  // few frames ago is handed to the writers.
  std::vector<u8> pixels = mpEncoder ? mpEncoder->spareFrame() : mpWriters->spareFrame();
  if (mpReadback->read(pixels)) {
    submitFrame(std::move(pixels));
  }
  ++mFrames;
  printProgress(demoTime);
  if (mpClock) {
    mpClock->advance();
  }
}

void FrameCapture::submitFrame(std::vector<u8>&& pixels) {
  if (mpEncoder) {
    mpEncoder->submit(std::move(pixels));
    ++mSubmitted;
    return;
  }
  char name[32];
  std::snprintf(name, sizeof name, "/%06llu.png", static_cast<unsigned long long>(mFirstFrame + mSubmitted));
  mpWriters->submit(mFrameFolder + name, std::move(pixels));
  ++mSubmitted;
}

bool FrameCapture::drainFrames() {
  if (!mpReadback) {
    return true;
  }
  std::vector<u8> pixels;
  while (mpReadback->take(pixels)) {
    submitFrame(std::move(pixels));
  }
  const bool lost = mpReadback->lostFrame();
  mpReadback.reset();  // its buffers go while the GL context is still there
  bool written = true;
  if (mpWriters) {
    written = mpWriters->finish();
    if (!written && mError.empty()) mError = mpWriters->error();
    mEncoderSeconds = mpWriters->busySeconds();
    mpWriters.reset();
  }
  if (lost && mError.empty()) mError = "a captured frame could not be read back from the GL driver";
  return written && !lost;
}

void FrameCapture::printProgress(u32 demoTime) {
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - mStarted).count();
  const double rate = elapsed > 0.0 ? static_cast<double>(mFrames) / elapsed : 0.0;
  const u32 fps = mpClock ? mpClock->getFramesPerSecond() : 60;
  const double framesLeft = mShowEndMs > demoTime ? (mShowEndMs - demoTime) * fps / 1000.0 : 0.0;
  const auto now = std::chrono::steady_clock::now();
  if (!mTerminal) {
    if (mFrames > 1 && now - mLastLogLine < LOG_LINE_INTERVAL) return;
    mLastLogLine = now;
  }
  std::fprintf(stderr, "%scapture: frame %llu  time %u.%03u s  %.1f frames/s  about %.1f s left%s",
               mTerminal ? "\r" : "", static_cast<unsigned long long>(mFrames), demoTime / 1000, demoTime % 1000,
               rate, rate > 0.0 ? framesLeft / rate : 0.0, mTerminal ? "   " : "\n");
}

bool FrameCapture::finish() {
  if (mTerminal) std::fputc('\n', stderr);
  const bool drained = drainFrames();
  if (mpEncoder) {
    // A failed readback still completes the encoder, so that it removes its file.
    const bool encoded = mpEncoder->finish();
    if (!encoded && mError.empty()) mError = mpEncoder->error();
    mEncoderSeconds = mpEncoder->busySeconds();
    mpEncoder.reset();
    mWallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - mStarted).count();
    std::error_code ignored;
    if (!drained || !encoded) std::filesystem::remove(mTarget, ignored);
    return drained && encoded && mError.empty();
  }
  if (!drained || !mError.empty()) {
    return false;
  }
  const u32 fps = mpClock ? mpClock->getFramesPerSecond() : 60;
  PcmExcerpt excerpt;
  std::string problem;
  const std::string wave = mFrameFolder + "/audio.wav";
  if (!readMusicForFrames(mMusicFile.c_str(), mStartMs, fps, mFirstFrame, mFrames, excerpt, problem) ||
      !writeWaveFile(wave, excerpt)) {
    mError = problem.empty() ? "cannot write " + wave : problem;
    return false;
  }
  if (!writeDescription(fps)) {
    mError = "cannot write " + mFrameFolder + "/capture.txt";
    return false;
  }
  mWallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - mStarted).count();
  return true;
}

std::string FrameCapture::benchLines() const {
  const double rate = mWallSeconds > 0.0 ? static_cast<double>(mFrames) / mWallSeconds : 0.0;
  const double share = mWallSeconds > 0.0 ? mEncoderSeconds / mWallSeconds : 0.0;
  char text[256];
  std::snprintf(text, sizeof text,
                "written        %.2f frames/s (%llu frames in %.1f s, to the end of the file)\n"
                "encoder share  %.1f %% (%s busy %.1f s)\n",
                rate, static_cast<unsigned long long>(mFrames), mWallSeconds, share * 100.0,
                isVideoTarget(mTarget) ? "video encoder" : "PNG writers, added up,", mEncoderSeconds);
  return text;
}

bool FrameCapture::writeDescription(u32 fps) const {
  std::FILE* file = std::fopen((mFrameFolder + "/capture.txt").c_str(), "w");
  if (!file) {
    return false;
  }
  // One "key value" per line; scripts/assemble checks that pieces share fps, start,
  // size and encoding, and encodes with the ffmpeg options of "encode".
  const platform::VideoEncoding& encoding = platform::videoEncoding(mQuality);
  std::fprintf(file, "fps %u\nstart_ms %u\nsize %dx%d\nfirst %llu\nframes %llu\nquality %s\nencode %s\n", fps,
               mStartMs, mWidth, mHeight, static_cast<unsigned long long>(mFirstFrame),
               static_cast<unsigned long long>(mFrames), platform::videoQualityName(mQuality),
               platform::ffmpegOptions(encoding).c_str());
  return std::fclose(file) == 0;
}
