// The soak's pass bookkeeping and its report line.
#include "app/soak_passes.h"

#include <cstdio>
#include <utility>

#include "sound/demo_sound.h"

CSoakPasses::CSoakPasses(u32 passCount, u32 startMs, u32 endMs, WallClock wallClock, MusicHeard musicHeard,
                         Resident resident)
    : mPassCount(passCount), mStartMs(startMs), mEndMs(endMs), mWallClock(std::move(wallClock)),
      mMusicHeard(std::move(musicHeard)), mResident(std::move(resident)) {}

void CSoakPasses::begin() {
  mPassWallStart = mWallClock();
  mHavePace = false;
  mPace = mPaceStart = mDrift = 0.0;
}

bool CSoakPasses::onFrame(IDemoSound& sound, u32& time) {
  const double now = mWallClock();
  const double heard = mMusicHeard();
  if (heard >= 0.0) {
    // The music's start-up (the device's first buffer) is not the device's pace.
    const double music = mStartMs + heard;
    if (!mHavePace && music >= mStartMs + SETTLE_MILLISECONDS) {
      mPaceStart = music - now;
      mHavePace = true;
    }
    if (mHavePace) mPace = music - now - mPaceStart;
    mDrift = static_cast<double>(time) - music;
  }
  if (time < mEndMs) return true;
  Pass pass;
  pass.number = static_cast<u32>(mPasses.size()) + 1;
  pass.seconds = (now - mPassWallStart) / 1000.0;
  pass.residentMb = static_cast<double>(mResident()) / (1024.0 * 1024.0);
  pass.driftMs = mDrift;
  pass.paceMs = mPace;
  mPasses.push_back(pass);
  std::printf("%s\n", format(pass).c_str());
  std::fflush(stdout);
  if (pass.number >= mPassCount) return false;
  // As author mode's Home does: back to the start, playing.
  sound.seek(mStartMs);
  if (!sound.isPlaying()) sound.play(sound.getTime());
  time = sound.getTime();
  begin();
  return true;
}

std::string CSoakPasses::format(const Pass& pass) const {
  char text[160];
  std::snprintf(text, sizeof text,
                "soak: pass %u of %u: %.1f s, resident %.1f MB, clock drift %+.1f ms, device pace %+.1f ms", pass.number,
                mPassCount, pass.seconds, pass.residentMb, pass.driftMs, pass.paceMs);
  return text;
}
