// PngWriterPool: encodes and writes captured frames as PNG files on worker threads
// while the main thread draws the next frame. The queue is short, so memory stays
// a few frames; submit() waits when it is full. submit() and finish() are called
// from one thread (the main one); the workers only encode and write.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/spare_frames.h"
#include "framework/types.h"

class PngWriterPool {
 public:
  // threads 0: one fewer than the machine's cores, at least one.
  PngWriterPool(int width, int height, int threads = 0);
  ~PngWriterPool();
  PngWriterPool(const PngWriterPool&) = delete;
  PngWriterPool& operator=(const PngWriterPool&) = delete;

  // Queues one frame as GL reads it back (BGRA, bottom row first); the file is
  // RGB, as the picture is opaque whatever the effects left in alpha. Takes the
  // pixels' storage.
  void submit(std::string path, std::vector<u8>&& pixels);
  // Waits until every queued frame is written; false when any failed (error()
  // names the first file, in frame order, that could not be written).
  bool finish();
  const std::string& error() const { return mError; }
  int threadCount() const { return static_cast<int>(mThreads.size()); }
  // A buffer to read the next frame into: one of a frame already written when
  // there is one, else empty.
  std::vector<u8> spareFrame() { return mSpare.take(); }
  // Seconds the workers spent encoding and writing, added up over the workers.
  double busySeconds();

 private:
  struct Job {
    u64 sequence;
    std::string path;
    std::vector<u8> pixels;
  };
  void work();

  int mWidth;
  int mHeight;
  std::vector<std::thread> mThreads;
  std::mutex mMutex;
  std::condition_variable mWorkReady;
  std::condition_variable mSpaceOrDone;
  std::deque<Job> mQueue;
  SpareFrames mSpare{8};  // at least the frames in flight on a few workers
  std::size_t mCapacity;
  std::size_t mBusy = 0;
  u64 mNextSequence = 0;
  u64 mFirstFailed = ~0ull;
  std::string mError;
  double mBusySeconds = 0.0;
  bool mStopping = false;
};
