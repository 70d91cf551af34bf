// The demo clock over CSound: start position plus a millisecond clock's progress
// (by default the music the device has played), counted only while the music
// plays, so the picture pauses with it and ignores the frame rate. Main thread only.
#include "sound/demo_sound.h"

#include <chrono>

u32 CDemoSoundREAL::systemMilliseconds() {
  using namespace std::chrono;
  // Truncated to 32 bits on purpose: the clock's users rely on unsigned wrap-around.
  return static_cast<u32>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

CDemoSoundREAL::CDemoSoundREAL() = default;

CDemoSoundREAL::CDemoSoundREAL(MillisecondClock clock) : mClock(std::move(clock)) {}

u32 CDemoSoundREAL::readClock() {
  if (mClock) return mClock();
  if (mpSound && !mPastEnd) return static_cast<u32>(static_cast<u64>(mpSound->getPlayedMilliseconds()));
  return systemMilliseconds();
}

CDemoSoundREAL::~CDemoSoundREAL() = default;

bool CDemoSoundREAL::create(void* pWindow) {
  mpSound = std::make_unique<CSound>();
  return finishCreate(mpSound->initialize(pWindow), CSound::MUSIC_FILE_NAME);
}

bool CDemoSoundREAL::create(std::unique_ptr<platform::SoundDevice> pDevice, const char* pFileName) {
  mpSound = std::make_unique<CSound>();
  return finishCreate(mpSound->initialize(std::move(pDevice)), pFileName);
}

bool CDemoSoundREAL::finishCreate(s32 initializeResult, const char* pFileName) {
  if (initializeResult == CSound::RESULT_OK && mpSound->open(pFileName) == CSound::RESULT_OK) return true;
  mpSound.reset();
  return false;
}

void CDemoSoundREAL::play(u32 ms) {
  mPastEnd = false;
  if (mpSound) mpSound->play(ms);
  mTime = ms;
  // The music clock counts from the instant the buffer started, which is its zero.
  mLastTick = (!mClock && mpSound) ? 0 : readClock();
}

void CDemoSoundREAL::stop() {
  if (mpSound) mpSound->stop();
  if (mPastEnd) {
    mPastEnd = false;  // the clock holds from here, as it does for stopped music
    mLastTick = readClock();
  }
}

void CDemoSoundREAL::seek(u32 ms) {
  if (isPlaying() || mPastEnd) {
    play(ms);
    return;
  }
  mTime = ms;
  mLastTick = readClock();
}

bool CDemoSoundREAL::isPlaying() { return mpSound && mpSound->isPlaying(); }

u32 CDemoSoundREAL::getTime() {
  u32 now = readClock();
  if (isPlaying() || mPastEnd) {
    mTime += now - mLastTick;  // unsigned: right across the 2^32 wrap
  } else if (mpSound && mpSound->hasEnded()) {
    // The last sample has been heard: land on the music's end (never going
    // back) and go on from there, so that a show that lasts as long as its
    // music ends by itself.
    mTime += now - mLastTick;
    mPastEnd = true;
    const u32 end = static_cast<u32>(mpSound->getLengthMilliseconds());
    if (mTime < end) mTime = end;
    now = readClock();
  }
  mLastTick = now;
  return mTime;
}

void CDemoSoundREAL::setVolume(f32 volume) {
  if (mpSound && mpSound->hasBuffer()) mpSound->setVolume(static_cast<s32>((volume - 1.0f) * 10000.0f));
}

f32 CDemoSoundREAL::getVolume() {
  if (!mpSound) return 0.0f;
  return static_cast<f32>(mpSound->getVolume()) / 10000.0f + 1.0f;
}
