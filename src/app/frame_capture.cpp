// Offline capture: read back, PNG files, music excerpt and the optional video.
#include "app/frame_capture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/pixel_readback.h"
#include "sound/fixed_step_clock.h"
#include "sound/music_excerpt.h"

namespace {

bool endsWith(const std::string& text, const char* suffix) {
  const std::size_t length = std::char_traits<char>::length(suffix);
  return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

std::string shellQuoted(const std::string& text) {
  std::string result = "'";
  for (char c : text) {
    if (c == '\'') result += "'\\''";
    else result += c;
  }
  return result + "'";
}

}  // namespace

FrameCapture::FrameCapture(std::string target, CDemoSoundFixedStep* pClock, int width, int height, u32 showEndMs)
    : mTarget(std::move(target)), mpClock(pClock), mWidth(width), mHeight(height), mShowEndMs(showEndMs) {
  mFrameFolder = isVideoTarget(mTarget) ? mTarget + ".frames" : mTarget;
  mTerminal = isatty(fileno(stderr)) == 1;
}

FrameCapture::~FrameCapture() = default;

bool FrameCapture::isVideoTarget(const std::string& target) {
  return endsWith(target, ".mp4") || endsWith(target, ".mkv");
}

bool FrameCapture::prepare() {
  if (isVideoTarget(mTarget) && std::system("command -v ffmpeg >/dev/null 2>&1") != 0) {
    mError = "a video capture needs ffmpeg (apt-get install ffmpeg); capture to a folder instead";
    return false;
  }
  std::error_code failure;
  std::filesystem::create_directories(mFrameFolder, failure);
  if (failure || !std::filesystem::is_directory(mFrameFolder)) {
    mError = "cannot create the capture folder " + mFrameFolder + ": " + failure.message();
    return false;
  }
  mStarted = std::chrono::steady_clock::now();
  return true;
}

void FrameCapture::onFrameComposed(u32 demoTime) {
  if (!mpReadback) {
    mpReadback = std::make_unique<platform::PixelReadback>(mWidth, mHeight);
    mpWriters = std::make_unique<PngWriterPool>(mWidth, mHeight);
  }
  // The copy of this frame runs on while the next one is drawn; the frame from a
  // few frames ago is handed to the writers.
  std::vector<u8> pixels;
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
  const bool written = mpWriters->finish();
  if (!written && mError.empty()) mError = mpWriters->error();
  if (lost && mError.empty()) mError = "a captured frame could not be read back from the GL driver";
  mpWriters.reset();
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

bool FrameCapture::finish(const char* musicFile, u32 startMs) {
  if (mTerminal) std::fputc('\n', stderr);
  if (!drainFrames() || !mError.empty()) {
    return false;
  }
  const u32 fps = mpClock ? mpClock->getFramesPerSecond() : 60;
  PcmExcerpt excerpt;
  std::string problem;
  const std::string wave = mFrameFolder + "/audio.wav";
  if (!readMusicForFrames(musicFile, startMs, fps, mFirstFrame, mFrames, excerpt, problem) ||
      !writeWaveFile(wave, excerpt)) {
    mError = problem.empty() ? "cannot write " + wave : problem;
    return false;
  }
  if (!writeDescription(startMs, fps)) {
    mError = "cannot write " + mFrameFolder + "/capture.txt";
    return false;
  }
  if (!isVideoTarget(mTarget)) {
    return true;
  }
  const std::string command = "ffmpeg -loglevel error -y -framerate " + std::to_string(fps) + " -start_number " +
                              std::to_string(mFirstFrame) + " -i " +
                              shellQuoted(mFrameFolder + "/%06d.png") + " -i " + shellQuoted(wave) +
                              " -c:v libx264 -pix_fmt yuv420p -crf 18 -c:a aac -b:a 192k -shortest " +
                              shellQuoted(mTarget);
  if (std::system(command.c_str()) != 0) {
    mError = "ffmpeg could not make " + mTarget + " (the frames stay in " + mFrameFolder + ")";
    return false;
  }
  std::error_code ignored;
  std::filesystem::remove_all(mFrameFolder, ignored);
  return true;
}

bool FrameCapture::writeDescription(u32 startMs, u32 fps) const {
  std::FILE* file = std::fopen((mFrameFolder + "/capture.txt").c_str(), "w");
  if (!file) {
    return false;
  }
  // One "key value" per line; scripts/assemble checks that pieces share fps, start and size.
  std::fprintf(file, "fps %u\nstart_ms %u\nsize %dx%d\nfirst %llu\nframes %llu\n", fps, startMs, mWidth, mHeight,
               static_cast<unsigned long long>(mFirstFrame), static_cast<unsigned long long>(mFrames));
  return std::fclose(file) == 0;
}
