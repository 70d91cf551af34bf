// MovieEncoderThread: a video capture's encoder on a thread of its own, fed each
// frame with the music under it while the next is drawn. submit() and finish()
// come from one thread (the main one); the worker alone uses the MovieWriter.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/types.h"
#include "app/spare_frames.h"
#include "platform/movie_writer.h"
#include "sound/music_excerpt.h"

class MovieEncoderThread {
 public:
  // The run whose music goes under the frames: its start, frame rate, first frame
  // and the frames it is expected to have (more are decoded if it has more).
  struct Music {
    std::string file;
    u32 startMs = 0;
    u32 fps = 60;
    u64 firstFrame = 0;
    u64 expectedFrames = 0;
  };

  MovieEncoderThread(int width, int height, Music music);
  ~MovieEncoderThread();
  MovieEncoderThread(const MovieEncoderThread&) = delete;
  MovieEncoderThread& operator=(const MovieEncoderThread&) = delete;

  // Creates the file and starts the encoders and the thread; false with error().
  bool start(const std::string& path, const platform::VideoEncoding& encoding);
  // Queues a frame as GL read it back (BGRA, bottom row first); waits while the
  // encoder is a few frames behind. Takes the pixels' storage.
  void submit(std::vector<u8>&& pixels);
  // Encodes what is queued, completes the file and stops the thread.
  bool finish();
  // The encoder has given up (its error says why); later frames are dropped.
  bool failed() const;
  std::string error() const;
  // A buffer to read the next frame into: one of a frame already encoded when
  // there is one, else empty.
  std::vector<u8> spareFrame() { return mSpare.take(); }
  // Seconds the thread spent converting, encoding and writing.
  double busySeconds() const;

 private:
  void work();
  bool encodeFrame(const std::vector<u8>& pixels);
  bool addMusicUpTo(u64 frames);
  void setError(const std::string& error);

  int mWidth;
  int mHeight;
  Music mMusic;
  platform::MovieWriter mWriter;
  PcmExcerpt mExcerpt;     // the worker's: the music of the run's expected frames
  bool mExcerptRead = false;
  u64 mMusicSent = 0;      // sample frames handed to the writer
  u64 mFramesEncoded = 0;
  std::thread mThread;
  mutable std::mutex mMutex;
  std::condition_variable mWorkReady;
  std::condition_variable mSpaceOrDone;
  std::deque<std::vector<u8>> mQueue;
  SpareFrames mSpare{4};  // as many as are ever in flight: the queue and the frame being encoded
  bool mStopping = false;
  std::string mError;
  double mBusySeconds = 0.0;
};
