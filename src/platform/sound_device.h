// The sound device: one output at 44100 Hz, 16-bit stereo, and secondary buffers
// mixed into it (our stand-in for DirectSound). Buffers are called from any thread;
// mix() runs on the output's thread (SDL's audio thread, or the caller of a null device).
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/types.h"

namespace platform {

class SoundDevice;

// PCM layout of a secondary buffer: 1 or 2 channels, 8-bit unsigned or 16-bit
// signed little-endian, any rate. Anything else is converted by the caller.
struct PcmFormat {
  u16 channels = 2;
  u32 samplesPerSecond = 44100;
  u16 bitsPerSample = 16;
  u32 blockAlign() const { return channels * (bitsPerSample / 8u); }
};

// Up to two pieces of a locked byte range; the second is the part that wraps
// to the start of the buffer.
struct LockedRegions {
  u8* pFirst = nullptr;
  u32 firstSize = 0;
  u8* pSecond = nullptr;
  u32 secondSize = 0;
};

// A secondary buffer. Volumes are hundredths of a decibel: 0 is the data as
// written, -10000 is silence. Owned by its creator; must go before its device.
class SoundBuffer {
 public:
  enum class LockResult { Ok, Lost, Failed };
  static constexpr s32 kVolumeMin = -10000;
  static constexpr s32 kVolumeMax = 0;

  ~SoundBuffer();
  SoundBuffer(const SoundBuffer&) = delete;
  SoundBuffer& operator=(const SoundBuffer&) = delete;

  // Holds the device's mixing lock from a successful lock() until unlock(), so
  // the mixer never sees half-written data. Fails for an empty range, a range
  // larger than the buffer or an offset outside it.
  LockResult lock(u32 offset, u32 size, LockedRegions& regions);
  void unlock();
  // Brings back a lost buffer (contents are undefined afterwards, as on Windows).
  bool restore();
  // Makes the next lock report a loss; how tests reach the restore path.
  void simulateLoss();

  // Starts (or keeps) playing from the cursor; returns getFramesPlayed() at
  // that instant, so callers can count what is played from here on exactly.
  u64 play(bool looping);
  void stop();  // the cursor stays where it is
  // Byte offset of the play cursor, on a whole frame; false outside the buffer.
  bool setCurrentPosition(u32 byteOffset);
  u32 getCurrentPosition() const;
  bool isPlaying() const;
  bool isLooping() const;
  // Clamped to [kVolumeMin, kVolumeMax].
  void setVolume(s32 hundredthsOfDecibel);
  s32 getVolume() const;

  u32 getSize() const { return static_cast<u32>(mData.size()); }
  const PcmFormat& getFormat() const { return mFormat; }
  // Source frames the device has taken from this buffer since it was made.
  u64 getFramesPlayed() const;
  // The same, moved on by the time elapsed since the last mix, as far as that
  // mix reached: a clock finer than the device's step. Devices that do not run
  // in real time (the null device) give getFramesPlayed() unchanged.
  f64 estimateFramesPlayed() const;

 private:
  friend class SoundDevice;
  SoundBuffer(SoundDevice& device, const PcmFormat& format, u32 size);
  void mixInto(s32* accumulator, u32 frames);  // under the device lock
  void readFrame(u64 frame, f64& left, f64& right) const;

  SoundDevice& mDevice;
  PcmFormat mFormat;
  std::vector<u8> mData;
  u64 mFrameCount;
  u64 mCursorFrame = 0;
  u32 mPhase = 0;  // progress towards the next source frame, in units of 1/44100
  bool mPlaying = false;
  bool mLooping = false;
  bool mLost = false;
  s32 mVolume = 0;
  u64 mFramesPlayed = 0;
  u64 mFramesPlayedBeforeLastMix = 0;
};

class SoundDevice {
 public:
  static constexpr u32 kSampleRate = 44100;
  static constexpr u32 kChannels = 2;

  virtual ~SoundDevice();
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // Null for a layout the mixer cannot read or a size below one frame.
  std::unique_ptr<SoundBuffer> createBuffer(const PcmFormat& format, u32 size);

  // Mixes `frames` stereo frames of every playing buffer into `pOut`, moving
  // their cursors by what was taken. The output's thread calls this; a null
  // device leaves it to the caller.
  void mix(s16* pOut, u32 frames);

  // Which output this is ("null", "dummy", "pulseaudio", ...).
  virtual const char* getDriverName() const = 0;
  // How long a mixed frame waits in the output before it leaves the device:
  // clocks that follow the mixer take this off so they follow what is heard.
  virtual f64 getOutputLatencySeconds() const { return 0.0; }

 protected:
  // `realTime`: the output plays mixed blocks at the sample rate, so positions
  // may be interpolated between mixes.
  explicit SoundDevice(bool realTime) : mRealTime(realTime) {}

 private:
  friend class SoundBuffer;
  mutable std::mutex mMutex;  // guards the buffers' play state and data
  std::vector<SoundBuffer*> mBuffers;  // borrowed: each buffer removes itself
  std::vector<s32> mAccumulator;
  std::chrono::steady_clock::time_point mLastMixTime{};
  const bool mRealTime;
};

// A device that nothing drives: tests call mix() to pull output deterministically.
std::unique_ptr<SoundDevice> createNullSoundDevice();

// The machine's audio output through SDL. When no real device opens, it says so
// once on standard error and runs on SDL's silent "dummy" driver, which still
// consumes samples in real time. Null only when even that fails.
std::unique_ptr<SoundDevice> openSystemSoundDevice();

}  // namespace platform
