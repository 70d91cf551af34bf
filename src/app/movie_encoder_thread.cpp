// The video capture's encoder thread.
#include "app/movie_encoder_thread.h"

#include <chrono>

namespace {

constexpr std::size_t QUEUE_FRAMES = 3;

}  // namespace

MovieEncoderThread::MovieEncoderThread(int width, int height, Music music)
    : mWidth(width), mHeight(height), mMusic(std::move(music)) {}

// Stopping is finishing: what is queued is encoded and the file completed.
MovieEncoderThread::~MovieEncoderThread() { finish(); }

bool MovieEncoderThread::start(const std::string& path, const platform::VideoEncoding& encoding) {
  // The format alone (no frames) tells the audio stream's rate and channels.
  std::string problem;
  if (!readMusicForFrames(mMusic.file.c_str(), mMusic.startMs, mMusic.fps, mMusic.firstFrame, 0, mExcerpt, problem)) {
    mError = problem;
    return false;
  }
  const WAVEFORMATEX& format = mExcerpt.format;
  if (format.formatTag != WAVE_FORMAT_PCM || (format.bitsPerSample != 16 && format.bitsPerSample != 8) ||
      format.channels == 0) {
    mError = mMusic.file + ": the music is " + std::to_string(format.bitsPerSample) +
             "-bit; a video takes 8- or 16-bit PCM";
    return false;
  }
  if (!mWriter.open(path, mWidth, mHeight, static_cast<int>(mMusic.fps), encoding,
                    static_cast<int>(format.samplesPerSec), format.channels)) {
    mError = mWriter.error();
    return false;
  }
  mThread = std::thread([this] { work(); });
  return true;
}

void MovieEncoderThread::submit(std::vector<u8>&& pixels) {
  std::unique_lock<std::mutex> lock(mMutex);
  mSpaceOrDone.wait(lock, [this] { return mQueue.size() < QUEUE_FRAMES; });
  mQueue.push_back(std::move(pixels));
  lock.unlock();
  mWorkReady.notify_one();
}

bool MovieEncoderThread::finish() {
  if (!mThread.joinable()) return false;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStopping = true;
  }
  mWorkReady.notify_all();
  mThread.join();
  return !failed();
}

bool MovieEncoderThread::failed() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return !mError.empty();
}

std::string MovieEncoderThread::error() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mError;
}

double MovieEncoderThread::busySeconds() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mBusySeconds;
}

void MovieEncoderThread::setError(const std::string& error) {
  std::lock_guard<std::mutex> lock(mMutex);
  if (mError.empty()) mError = error;
}

void MovieEncoderThread::work() {
  for (;;) {
    std::unique_lock<std::mutex> lock(mMutex);
    mWorkReady.wait(lock, [this] { return mStopping || !mQueue.empty(); });
    if (mQueue.empty()) break;  // stopping with nothing left
    std::vector<u8> pixels = std::move(mQueue.front());
    mQueue.pop_front();
    const bool failedBefore = !mError.empty();
    lock.unlock();
    mSpaceOrDone.notify_all();
    if (failedBefore) continue;  // drop frames after a failure, without blocking the drawing
    const auto started = std::chrono::steady_clock::now();
    if (!encodeFrame(pixels)) setError(mWriter.error());
    mSpare.giveBack(std::move(pixels));
    lock.lock();
    mBusySeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  }
  if (failed()) return;
  const auto started = std::chrono::steady_clock::now();
  // The music ends exactly with the last frame; then both encoders drain.
  if (!addMusicUpTo(mFramesEncoded) || !mWriter.finish()) setError(mWriter.error());
  std::lock_guard<std::mutex> lock(mMutex);
  mBusySeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

bool MovieEncoderThread::encodeFrame(const std::vector<u8>& pixels) {
  if (pixels.size() != static_cast<std::size_t>(mWidth) * mHeight * 4) {
    setError("a captured frame has the wrong size");
    return false;
  }
  if (!mWriter.addFrame(pixels.data())) return false;
  ++mFramesEncoded;
  return addMusicUpTo(mFramesEncoded);
}

bool MovieEncoderThread::addMusicUpTo(u64 frames) {
  const WAVEFORMATEX& format = mExcerpt.format;
  const u64 rate = format.samplesPerSec;
  const u64 first = musicSampleFrameAt(mMusic.startMs, mMusic.fps, rate, mMusic.firstFrame);
  const u64 end = musicSampleFrameAt(mMusic.startMs, mMusic.fps, rate, mMusic.firstFrame + frames) - first;
  const u64 frameBytes = format.blockAlign ? format.blockAlign : 1;
  if (!mExcerptRead || end * frameBytes > mExcerpt.bytes.size()) {
    // Decoded once for the frames the run should have; a longer run decodes again.
    const u64 wanted = std::max(mMusic.expectedFrames, frames + mMusic.fps);
    std::string problem;
    if (!readMusicForFrames(mMusic.file.c_str(), mMusic.startMs, mMusic.fps, mMusic.firstFrame, wanted, mExcerpt,
                            problem)) {
      setError(problem);
      return false;
    }
    mExcerptRead = true;
  }
  if (end <= mMusicSent) return true;
  const u64 count = end - mMusicSent;
  const u8* pBytes = mExcerpt.bytes.data() + mMusicSent * frameBytes;
  mMusicSent = end;
  if (format.bitsPerSample == 16) {
    return mWriter.addAudio(reinterpret_cast<const s16*>(pBytes), count);
  }
  std::vector<s16> widened(count * format.channels);
  for (std::size_t i = 0; i < widened.size(); ++i) widened[i] = static_cast<s16>((pBytes[i] - 128) * 256);
  return mWriter.addAudio(widened.data(), count);
}
