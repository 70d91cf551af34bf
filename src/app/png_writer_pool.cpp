// Worker threads that encode captured frames to PNG files.
#include "app/png_writer_pool.h"

#include <algorithm>
#include <chrono>

#include "platform/fast_png.h"

PngWriterPool::PngWriterPool(int width, int height, int threads) : mWidth(width), mHeight(height) {
  if (threads <= 0) {
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(cores - 1, 1, 8);
  }
  // Two frames waiting per worker keep them busy without holding many frames.
  mCapacity = static_cast<std::size_t>(threads) * 2;
  for (int i = 0; i < threads; ++i) {
    mThreads.emplace_back([this] { work(); });
  }
}

PngWriterPool::~PngWriterPool() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStopping = true;
  }
  mWorkReady.notify_all();
  for (std::thread& thread : mThreads) thread.join();
}

void PngWriterPool::submit(std::string path, std::vector<u8>&& pixels) {
  std::unique_lock<std::mutex> lock(mMutex);
  mSpaceOrDone.wait(lock, [this] { return mQueue.size() < mCapacity; });
  mQueue.push_back(Job{mNextSequence++, std::move(path), std::move(pixels)});
  lock.unlock();
  mWorkReady.notify_one();
}

bool PngWriterPool::finish() {
  std::unique_lock<std::mutex> lock(mMutex);
  mSpaceOrDone.wait(lock, [this] { return mQueue.empty() && mBusy == 0; });
  return mError.empty();
}

double PngWriterPool::busySeconds() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mBusySeconds;
}

void PngWriterPool::work() {
  for (;;) {
    std::unique_lock<std::mutex> lock(mMutex);
    mWorkReady.wait(lock, [this] { return mStopping || !mQueue.empty(); });
    if (mQueue.empty()) {
      return;  // stopping with nothing left
    }
    Job job = std::move(mQueue.front());
    mQueue.pop_front();
    ++mBusy;
    lock.unlock();
    mSpaceOrDone.notify_all();

    const auto started = std::chrono::steady_clock::now();
    const bool written = job.pixels.size() == static_cast<std::size_t>(mWidth) * mHeight * 4 &&
                         platform::writeFastPngFile(job.path, mWidth, mHeight, job.pixels.data());

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    mSpare.giveBack(std::move(job.pixels));
    lock.lock();
    mBusySeconds += seconds;
    if (!written && job.sequence < mFirstFailed) {
      mFirstFailed = job.sequence;
      mError = "cannot write " + job.path;
    }
    --mBusy;
    lock.unlock();
    mSpaceOrDone.notify_all();
  }
}
