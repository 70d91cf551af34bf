// The music player: decoder choice, static or streaming set-up, play and stop,
// and the streaming worker. Public calls come from the main thread; the worker
// owns every buffer write, decoder read and seek while streaming.
#include "sound/sound.h"

#include <pthread.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "framework/critical_check.h"
#include "sound/ogg_vorbis_loader.h"
#include "sound/sound_message.h"
#include "sound/wave_loader.h"

namespace {

// Shared by every CSound. Each player that made a buffer also holds the device,
// so a player that outlives this static state (one destroyed after main()
// returns) never frees its buffer into a device already gone.
struct SharedSoundState {
  std::shared_ptr<platform::SoundDevice> pDevice;
  s32 liveCount = 0;
};

SharedSoundState& shared() {
  static SharedSoundState state;
  return state;
}

std::string formatMessage(const char* pFormat, const char* pFileName) {
  int length = std::snprintf(nullptr, 0, pFormat, pFileName);
  std::string text(static_cast<std::size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, pFormat, pFileName);
  return text;
}

u64 msToBytes(u32 ms, u32 avgBytesPerSec) { return static_cast<u64>(ms) * avgBytesPerSec / 1000; }

}  // namespace

CSound::CSound() { ++shared().liveCount; }

CSound::~CSound() {
  cleanup();
  if (--shared().liveCount == 0) shared().pDevice.reset();
}

s32 CSound::initialize(void* /*pWindow*/) {
  if (shared().pDevice) return RESULT_DEVICE_ERROR;
  return initialize(platform::openSystemSoundDevice());
}

s32 CSound::initialize(std::unique_ptr<platform::SoundDevice> pDevice) {
  if (shared().pDevice) return RESULT_DEVICE_ERROR;
  if (!pDevice) return RESULT_NO_DEVICE;
  shared().pDevice = std::move(pDevice);
  return RESULT_OK;
}

s32 CSound::open() { return open(MUSIC_FILE_NAME); }

s32 CSound::open(const char* pFileName) {
  std::unique_ptr<CSoundLoader> pDecoder;
  auto pWave = std::make_unique<WaveLoader>();
  auto pOgg = std::make_unique<OggVorbisLoader>();
  if (pWave->probe(pFileName, nullptr, 0)) {
    pDecoder = std::move(pWave);
  } else if (pOgg->probe(pFileName, nullptr, 0)) {
    pDecoder = std::move(pOgg);
  }
  if (!pDecoder) {
    sound::showMessage(formatMessage(
        "Sound::%sの読み取りインターフェイス取得に失敗.\nファイルが存在するかもしくは対応形式か確認して下さい.",
        pFileName));
    std::fprintf(stderr, "Sound: as WAVE: %s\nSound: as Ogg Vorbis: %s\n", pWave->getLastError().c_str(),
                 pOgg->getLastError().c_str());
    return RESULT_NO_DECODER;
  }
  if (pDecoder->open(pFileName, nullptr, 0) != CSoundLoader::RESULT_OK) {
    sound::showMessage(formatMessage("Sound::%sの読み取りに失敗.", pFileName));
    std::fprintf(stderr, "Sound: %s\n", pDecoder->getLastError().c_str());
    return RESULT_OPEN_FAILED;
  }

  cleanup();
  mpDecoder = std::move(pDecoder);
  mpDevice = shared().pDevice;
  platform::SoundDevice* pDevice = mpDevice.get();
  if (!pDevice) return RESULT_DEVICE_ERROR;

  const u32 dataSize = mpDecoder->getDataSize();
  mpDecoder->getFormat(&mFormat);
  mLengthMs = mFormat.avgBytesPerSec ? static_cast<f64>(dataSize) * 1000.0 / mFormat.avgBytesPerSec : 0.0;
  platform::PcmFormat pcm;
  pcm.channels = mFormat.channels;
  pcm.samplesPerSecond = mFormat.samplesPerSec;
  pcm.bitsPerSample = mFormat.bitsPerSample;

  if (dataSize >= STREAMING_THRESHOLD) {
    startWorker();
    mStreaming = 1;
    mChunkSize = static_cast<u32>(static_cast<u64>(mBufferSeconds) * mFormat.avgBytesPerSec / mChunkCount);
    mChunkSize -= mChunkSize % mFormat.blockAlign;
    if (mChunkSize == 0) mChunkSize = mFormat.blockAlign;
    mpBuffer = pDevice->createBuffer(pcm, mChunkSize * static_cast<u32>(mChunkCount));
    if (!mpBuffer) return RESULT_DEVICE_ERROR;
  } else {
    mStreaming = 0;
    CSoundLoader::Block pData;
    mpDecoder->read(&pData, -1, 0, mLoop);
    mpBuffer = pDevice->createBuffer(pcm, dataSize);
    if (!mpBuffer || !writeToBuffer(0, pData.get(), dataSize)) return RESULT_DEVICE_ERROR;
  }
  return RESULT_OK;
}

s32 CSound::play(u32 ms) {
  if (!mpBuffer) return RESULT_NOT_OPEN;
  mLoop = false;
  if (mStreaming) {
    post(Command::Play, ms);
    waitReady();
    return RESULT_OK;
  }
  const u64 bytes = msToBytes(ms, mFormat.avgBytesPerSec);
  const u32 block = mFormat.blockAlign ? mFormat.blockAlign : 1;
  mpBuffer->stop();
  mStaticStarted = true;
  if (bytes >= mpBuffer->getSize()) {
    // Past the end there is nothing to hear: the sound has ended already.
    mStartFrame = mpBuffer->getSize() / block;
    mpBuffer->setCurrentPosition(0);
    mStartFrames = mpBuffer->getFramesPlayed();
    return RESULT_OK;
  }
  mpBuffer->setCurrentPosition(static_cast<u32>(bytes));
  mStartFrame = bytes / block;
  mStartFrames = mpBuffer->play(false);
  return RESULT_OK;
}

s32 CSound::stop() {
  if (!mpBuffer) return RESULT_NOT_OPEN;
  if (mStreaming) {
    post(Command::Stop);
    waitReady();
    return RESULT_OK;
  }
  mpBuffer->stop();
  mStaticStarted = false;
  return RESULT_OK;
}

bool CSound::isPlaying() { return mpBuffer && mpBuffer->isPlaying(); }

bool CSound::hasEnded() const {
  if (!mpBuffer) return false;
  if (mStreaming) return mEnded.load();
  return mStaticStarted && !mpBuffer->isPlaying();
}

bool CSound::setVolume(s32 hundredthsOfDecibel) {
  if (!mpBuffer) return false;
  mpBuffer->setVolume(hundredthsOfDecibel);
  return true;
}

s32 CSound::getVolume() { return mpBuffer ? mpBuffer->getVolume() : 0; }

void CSound::syncWorker() {
  if (!mThread.joinable()) return;
  post(Command::Sync);
  waitReady();
}

f64 CSound::getPlayedMilliseconds() {
  if (!mpBuffer || mFormat.samplesPerSec == 0) return 0.0;
  const f64 frames = mpBuffer->estimateFramesPlayed() - static_cast<f64>(mStartFrames.load());
  // What the mixer took is still queued in the output for its latency.
  const platform::SoundDevice* pDevice = shared().pDevice.get();
  const f64 latencyMs = pDevice ? pDevice->getOutputLatencySeconds() * 1000.0 : 0.0;
  const f64 played = frames * 1000.0 / mFormat.samplesPerSec - latencyMs;
  return played > 0.0 ? played : 0.0;
}

f64 CSound::getWorkerCpuSeconds() const {
  if (!mThread.joinable()) return 0.0;
  clockid_t clock;
  timespec used{};
  if (pthread_getcpuclockid(const_cast<std::thread&>(mThread).native_handle(), &clock) != 0 ||
      clock_gettime(clock, &used) != 0) {
    return 0.0;
  }
  return static_cast<f64>(used.tv_sec) + used.tv_nsec * 1e-9;
}

bool CSound::writeToBuffer(u32 offset, const u8* pData, u32 size) {
  platform::LockedRegions regions;
  auto result = mpBuffer->lock(offset, size, regions);
  if (result == platform::SoundBuffer::LockResult::Lost) {
    mpBuffer->restore();
    result = mpBuffer->lock(offset, size, regions);
  }
  if (result != platform::SoundBuffer::LockResult::Ok) return false;
  // These names are part of the fatal texts, so they stay as the checks quote them.
  const u32 dwWriteSize = size;
  const u32 alloc_size[2] = {regions.firstSize, regions.secondSize};
  if (regions.pFirst) {
    CRITICAL_CHECK(dwWriteSize==alloc_size[0], "");
    std::copy(pData, pData + size, regions.pFirst);
  } else if (regions.pSecond) {
    CRITICAL_CHECK(dwWriteSize==alloc_size[1], "");
    std::copy(pData, pData + size, regions.pSecond);
  } else {
    CRITICAL_CHECK(0, "sound memory allocation error");
  }
  mpBuffer->unlock();
  return true;
}

void CSound::cleanup() {
  if (mThread.joinable()) {
    post(Command::Quit);
    mThread.join();
  }
  mpBuffer.reset();
  mpDevice.reset();  // after the buffer, which unregisters itself from it
  mpDecoder.reset();
  {
    std::lock_guard<std::mutex> guard(mQueueMutex);
    mQueue.clear();
  }
  resetReady();
  mStreaming = 0;
  mChunkSize = 0;
  mLengthMs = 0.0;
  mEnded = false;
  mStaticStarted = false;
}

void CSound::startWorker() {
  resetReady();
  mThread = std::thread([this] { runWorker(); });
  waitReady();
}

void CSound::post(Command command, u32 ms) {
  {
    std::lock_guard<std::mutex> guard(mQueueMutex);
    mQueue.push_back(Message{command, ms});
  }
  mQueueSignal.notify_one();
}

void CSound::setReady() {
  {
    std::lock_guard<std::mutex> guard(mReadyMutex);
    mReady = true;
  }
  mReadySignal.notify_one();
}

void CSound::resetReady() {
  std::lock_guard<std::mutex> guard(mReadyMutex);
  mReady = false;
}

void CSound::waitReady() {
  std::unique_lock<std::mutex> guard(mReadyMutex);
  mReadySignal.wait(guard, [this] { return mReady; });
  mReady = false;  // auto-reset: one wait consumes one signal
}

void CSound::runWorker() {
  resetReady();
  setReady();
  bool playing = false;
  u32 writeOffset = 0;
  for (;;) {
    bool hasMessage = false;
    Message message{};
    {
      std::lock_guard<std::mutex> guard(mQueueMutex);
      if (!mQueue.empty()) {
        message = mQueue.front();
        mQueue.pop_front();
        hasMessage = true;
      }
    }
    if (hasMessage) {
      switch (message.command) {
        case Command::Quit:
          if (mpBuffer) mpBuffer->stop();
          return;
        case Command::Play: {
          resetReady();
          startStream(message.ms, writeOffset);
          playing = true;
          setReady();
          break;
        }
        case Command::Stop:
          resetReady();
          mpBuffer->stop();
          mpBuffer->setCurrentPosition(0);
          playing = false;
          writeOffset = 0;
          mEnded = false;
          setReady();
          break;
        case Command::Sync:
          if (playing) refill(playing, writeOffset);
          setReady();
          break;
      }
    } else if (playing) {
      refill(playing, writeOffset);
    }
    // The 5 ms poll, cut short when a command arrives so that callers wait less.
    std::unique_lock<std::mutex> guard(mQueueMutex);
    mQueueSignal.wait_for(guard, std::chrono::milliseconds(5), [this] { return !mQueue.empty(); });
  }
}

void CSound::startStream(u32 ms, u32& writeOffset) {
  const u32 block = mFormat.blockAlign;
  mpBuffer->stop();
  mpBuffer->setCurrentPosition(0);
  mEnded = false;
  u64 bytes = msToBytes(ms, mFormat.avgBytesPerSec);
  const u64 remainder = bytes % block;
  bytes -= remainder;
  if (remainder * 2 > block) bytes += block;  // to the nearest whole frame
  const u64 dataSize = mpDecoder->getDataSize();
  // A position at or past the end is the end: the decoder is never asked to seek
  // beyond its data (which would be fatal), the ring gets silence and the stream
  // ends at once.
  mDataExhausted = bytes >= dataSize;
  if (mDataExhausted) {
    bytes = dataSize - dataSize % block;
  } else {
    mpDecoder->seekBytes(static_cast<s64>(bytes), 0);
  }
  mStartFrame = bytes / block;
  mFramesToEnd = (dataSize - bytes) / block;
  writeOffset = 0;
  writeChunk(0);
  writeOffset = mChunkSize;
  mStartFrames = mpBuffer->play(true);
}

void CSound::writeChunk(u32 offset) {
  CSoundLoader::Block pChunk;
  if (!mDataExhausted) {
    const s32 result = mpDecoder->read(&pChunk, -1, mChunkSize, mLoop);
    if (result == CSoundLoader::RESULT_READ_ERROR) {
      pChunk.reset();  // a damaged stretch is heard as silence; the clock goes on
    } else if (result == CSoundLoader::RESULT_END_IN_READ || result == CSoundLoader::RESULT_READ_PAST_END) {
      mDataExhausted = true;  // the chunk holds the last frames, padded with silence
    }
  }
  if (!pChunk) {
    pChunk = std::make_unique<u8[]>(mChunkSize);
    std::fill(pChunk.get(), pChunk.get() + mChunkSize, mFormat.bitsPerSample == 8 ? 0x80 : 0x00);
  }
  writeToBuffer(offset, pChunk.get(), mChunkSize);
}

void CSound::refill(bool& playing, u32& writeOffset) {
  // The music is over once the device has taken every frame from the start
  // position to the end of the data; what it took since then is silence.
  if (mpBuffer->getFramesPlayed() - mStartFrames >= mFramesToEnd) {
    mpBuffer->stop();
    mpBuffer->setCurrentPosition(0);
    writeOffset = 0;
    playing = false;
    mEnded = true;
    return;
  }
  const u32 total = mChunkSize * static_cast<u32>(mChunkCount);
  const u32 lead = (mpBuffer->getCurrentPosition() + mChunkSize / 2) % total;
  // With the write offset back at 0 the cursor is still in the ring's far half;
  // wait until it has wrapped before overwriting the start.
  const bool due = writeOffset == 0 ? lead < total - mChunkSize * static_cast<u32>(mChunkCount / 2)
                                    : lead >= writeOffset;
  if (!due) return;
  // After the last frame the ring keeps getting silence, so the few
  // milliseconds the device plays before the stop above never repeat old music.
  writeChunk(writeOffset);
  writeOffset = (writeOffset + mChunkSize) % total;
}
