// The mixer behind every sound device: buffer state, format conversion to
// 44100 Hz 16-bit stereo, volume, and the null device. Buffers are called from
// any thread; mix() from the output's thread. One mutex per device guards it all.
#include "platform/sound_device.h"

#include "framework/critical_check.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

SoundBuffer::SoundBuffer(SoundDevice& device, const PcmFormat& format, u32 size)
    : mDevice(device), mFormat(format), mData(size, format.bitsPerSample == 8 ? 0x80 : 0),
      mFrameCount(size / format.blockAlign()) {}

SoundBuffer::~SoundBuffer() {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  auto& buffers = mDevice.mBuffers;
  buffers.erase(std::remove(buffers.begin(), buffers.end(), this), buffers.end());
}

SoundBuffer::LockResult SoundBuffer::lock(u32 offset, u32 size, LockedRegions& regions) {
  regions = LockedRegions{};
  if (size == 0 || size > mData.size() || offset >= mData.size()) return LockResult::Failed;
  mDevice.mMutex.lock();
  if (mLost) {
    mDevice.mMutex.unlock();
    return LockResult::Lost;
  }
  u32 total = getSize();
  regions.pFirst = mData.data() + offset;
  regions.firstSize = std::min(size, total - offset);
  if (regions.firstSize < size) {
    regions.pSecond = mData.data();
    regions.secondSize = size - regions.firstSize;
  }
  return LockResult::Ok;
}

void SoundBuffer::unlock() { mDevice.mMutex.unlock(); }

bool SoundBuffer::restore() {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  mLost = false;
  return true;
}

void SoundBuffer::simulateLoss() {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  mLost = true;
}

u64 SoundBuffer::play(bool looping) {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  mPlaying = true;
  mLooping = looping;
  return mFramesPlayed;
}

void SoundBuffer::stop() {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  mPlaying = false;
}

bool SoundBuffer::setCurrentPosition(u32 byteOffset) {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  u64 frame = byteOffset / mFormat.blockAlign();
  if (frame >= mFrameCount) return false;
  mCursorFrame = frame;
  mPhase = 0;
  return true;
}

u32 SoundBuffer::getCurrentPosition() const {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  return static_cast<u32>(mCursorFrame * mFormat.blockAlign());
}

bool SoundBuffer::isPlaying() const {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  return mPlaying;
}

bool SoundBuffer::isLooping() const {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  return mLooping;
}

void SoundBuffer::setVolume(s32 hundredthsOfDecibel) {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  mVolume = std::clamp(hundredthsOfDecibel, kVolumeMin, kVolumeMax);
}

s32 SoundBuffer::getVolume() const {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  return mVolume;
}

u64 SoundBuffer::getFramesPlayed() const {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  return mFramesPlayed;
}

f64 SoundBuffer::estimateFramesPlayed() const {
  std::lock_guard<std::mutex> guard(mDevice.mMutex);
  if (!mDevice.mRealTime) return static_cast<f64>(mFramesPlayed);
  // The last mix handed the output a block that it plays out over the following
  // interval; where in that block the listener is follows from the time since.
  f64 since = std::chrono::duration<f64>(std::chrono::steady_clock::now() - mDevice.mLastMixTime).count();
  f64 estimate = static_cast<f64>(mFramesPlayedBeforeLastMix) + since * mFormat.samplesPerSecond;
  return std::min(estimate, static_cast<f64>(mFramesPlayed));
}

void SoundBuffer::readFrame(u64 frame, f64& left, f64& right) const {
  const u8* p = mData.data() + frame * mFormat.blockAlign();
  if (mFormat.bitsPerSample == 8) {
    left = (static_cast<s32>(p[0]) - 128) * 256.0;
    right = mFormat.channels == 2 ? (static_cast<s32>(p[1]) - 128) * 256.0 : left;
  } else {
    left = static_cast<s16>(p[0] | (p[1] << 8));
    right = mFormat.channels == 2 ? static_cast<s16>(p[2] | (p[3] << 8)) : left;
  }
}

void SoundBuffer::mixInto(s32* accumulator, u32 frames) {
  mFramesPlayedBeforeLastMix = mFramesPlayed;
  if (!mPlaying || mLost || mFrameCount == 0) return;
  // -10000 is silence by definition, not merely 100 dB down.
  const f64 gain = mVolume <= kVolumeMin ? 0.0 : std::pow(10.0, mVolume / 2000.0);
  const u32 rate = mFormat.samplesPerSecond;
  for (u32 i = 0; i < frames && mPlaying; ++i) {
    f64 left, right;
    readFrame(mCursorFrame, left, right);
    if (mPhase != 0) {
      // Between two source frames: linear interpolation towards the next one.
      u64 next = mCursorFrame + 1;
      if (next >= mFrameCount) next = mLooping ? 0 : mCursorFrame;
      f64 nextLeft, nextRight;
      readFrame(next, nextLeft, nextRight);
      f64 t = static_cast<f64>(mPhase) / SoundDevice::kSampleRate;
      left += (nextLeft - left) * t;
      right += (nextRight - right) * t;
    }
    accumulator[2 * i] += static_cast<s32>(std::lrint(left * gain));
    accumulator[2 * i + 1] += static_cast<s32>(std::lrint(right * gain));
    mPhase += rate;
    while (mPhase >= SoundDevice::kSampleRate) {
      mPhase -= SoundDevice::kSampleRate;
      ++mFramesPlayed;
      if (++mCursorFrame >= mFrameCount) {
        mCursorFrame = 0;
        if (!mLooping) {
          mPlaying = false;
          mPhase = 0;
          break;
        }
      }
    }
  }
}

SoundDevice::~SoundDevice() {
  // A buffer left behind would lock this mutex and edit this list after both
  // are gone: the owner must give its buffers back before the device goes.
  CRITICAL_CHECK(mBuffers.empty(), "a sound buffer outlives its device");
}

std::unique_ptr<SoundBuffer> SoundDevice::createBuffer(const PcmFormat& format, u32 size) {
  bool supported = (format.channels == 1 || format.channels == 2) &&
                   (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
                   format.samplesPerSecond >= 100 && format.samplesPerSecond <= 384000;
  if (!supported || size < format.blockAlign()) return nullptr;
  std::unique_ptr<SoundBuffer> buffer(new SoundBuffer(*this, format, size));
  std::lock_guard<std::mutex> guard(mMutex);
  mBuffers.push_back(buffer.get());
  return buffer;
}

void SoundDevice::mix(s16* pOut, u32 frames) {
  std::lock_guard<std::mutex> guard(mMutex);
  mAccumulator.assign(static_cast<std::size_t>(frames) * kChannels, 0);
  for (SoundBuffer* pBuffer : mBuffers) pBuffer->mixInto(mAccumulator.data(), frames);
  for (std::size_t i = 0; i < mAccumulator.size(); ++i) {
    pOut[i] = static_cast<s16>(std::clamp(mAccumulator[i], -32768, 32767));
  }
  mLastMixTime = std::chrono::steady_clock::now();
}

namespace {

class NullSoundDevice final : public SoundDevice {
 public:
  NullSoundDevice() : SoundDevice(false) {}
  const char* getDriverName() const override { return "null"; }
};

}  // namespace

std::unique_ptr<SoundDevice> createNullSoundDevice() { return std::make_unique<NullSoundDevice>(); }

}  // namespace platform
