// CSound, the music player: one sound file decoded whole into a static buffer
// below 1 MiB of PCM, or streamed from 1 MiB on through a 3-second ring that a
// worker thread refills. Main thread only; the worker is internal.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "framework/types.h"
#include "platform/sound_device.h"
#include "sound/sound_loader.h"
#include "sound/wave_format.h"

class CSound {
 public:
  // Result codes of the operations.
  static constexpr s32 RESULT_OK = 1;
  static constexpr s32 RESULT_OPEN_FAILED = 2;      // the decoder could not open the file
  static constexpr s32 RESULT_NO_DECODER = 4;       // no decoder accepts the file
  static constexpr s32 RESULT_NO_DEVICE = 5;        // no sound device could be opened
  static constexpr s32 RESULT_NOT_OPEN = 7;         // nothing is open
  static constexpr s32 RESULT_DEVICE_ERROR = 10;    // any other device failure

  static constexpr const char* MUSIC_FILE_NAME = "data\\air.ogg";
  static constexpr u32 STREAMING_THRESHOLD = 1u << 20;  // bytes of PCM

  CSound();
  virtual ~CSound();
  CSound(const CSound&) = delete;
  CSound& operator=(const CSound&) = delete;

  // Opens the process-wide sound device (SDL audio, or its silent dummy driver
  // when there is no sound card). The window is not needed by SDL audio. 10 when
  // a device already exists, 5 when none opens.
  s32 initialize(void* pWindow);
  // The same with a device of the caller's choosing (a null device in tests).
  s32 initialize(std::unique_ptr<platform::SoundDevice> pDevice);

  // Opens MUSIC_FILE_NAME, or `pFileName`, and prepares the buffer.
  s32 open();
  s32 open(const char* pFileName);

  // From a millisecond position; one at or past the end plays nothing and ends
  // at once (hasEnded), so no position reaches the decoder's fatal seek.
  s32 play(u32 ms);
  s32 stop();
  bool isPlaying();
  // True once the last play() ran to the end of the music by itself: every frame
  // was heard (the last chunk padded with silence). stop() and play() clear it.
  bool hasEnded() const;
  // Length of the open sound in milliseconds; 0 when nothing is open.
  f64 getLengthMilliseconds() const { return mLengthMs; }

  // The buffer's volume in hundredths of a decibel; false / 0 without a buffer.
  bool setVolume(s32 hundredthsOfDecibel);
  s32 getVolume();

  bool hasBuffer() const { return mpBuffer != nullptr; }
  bool isStreaming() const { return mStreaming != 0; }
  u32 getChunkSize() const { return mChunkSize; }
  const WAVEFORMATEX& getFormat() const { return mFormat; }
  platform::SoundBuffer* getBuffer() { return mpBuffer.get(); }  // owned by this player

  // Waits until the worker has compared the play cursor with the ring once more
  // and refilled if due: lets a caller that drives a null device by hand keep
  // the stream deterministic.
  void syncWorker();
  // Milliseconds of this sound the device has played since the last play(),
  // interpolated between the device's mixes: the music's own clock.
  // The device's output latency is taken off, so this is what has been heard.
  f64 getPlayedMilliseconds();
  // The first frame of the music the last play() started from: where the decoder
  // (streaming) or the buffer's cursor (static) was set, to the nearest whole frame.
  u64 getStartFrame() const { return mStartFrame.load(); }
  // CPU time the worker thread has used, in seconds; 0 without a worker.
  f64 getWorkerCpuSeconds() const;

 private:
  enum class Command { Play, Stop, Quit, Sync };
  struct Message {
    Command command;
    u32 ms;
  };

  void cleanup();
  void startWorker();
  void post(Command command, u32 ms = 0);
  void setReady();
  void resetReady();
  void waitReady();
  void runWorker();
  void refill(bool& playing, u32& writeOffset);
  void startStream(u32 ms, u32& writeOffset);
  void writeChunk(u32 offset);
  bool writeToBuffer(u32 offset, const u8* pData, u32 size);

  std::shared_ptr<platform::SoundDevice> mpDevice;  // shared with every player; outlives mpBuffer
  std::unique_ptr<platform::SoundBuffer> mpBuffer;
  bool mLoop = false;  // passed to every decoder read; play() clears it
  WAVEFORMATEX mFormat{};
  std::unique_ptr<CSoundLoader> mpDecoder;
  u32 mChunkSize = 0;
  s32 mChunkCount = 12;
  s32 mBufferSeconds = 3;
  u32 mStreaming = 0;
  std::thread mThread;
  std::atomic<u64> mStartFrames{0};  // buffer frames played when the last play began
  std::atomic<u64> mStartFrame{0};   // music frame the last play began at
  f64 mLengthMs = 0.0;
  // Streaming: set by the worker once every frame from the start on was played.
  std::atomic<bool> mEnded{false};
  bool mStaticStarted = false;  // static: a play() that stop() has not ended
  // Worker only: buffer frames from the play position to the end of the data,
  // and whether the decoder has delivered its last frame.
  u64 mFramesToEnd = 0;
  bool mDataExhausted = false;

  // The worker's message queue and the auto-reset ready event.
  std::mutex mQueueMutex;
  std::condition_variable mQueueSignal;
  std::deque<Message> mQueue;
  std::mutex mReadyMutex;
  std::condition_variable mReadySignal;
  bool mReady = false;
};
