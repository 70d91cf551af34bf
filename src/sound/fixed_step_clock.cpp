// The fixed-step demo clock.
#include "sound/fixed_step_clock.h"

CDemoSoundFixedStep::CDemoSoundFixedStep(u32 framesPerSecond) : mFramesPerSecond(framesPerSecond ? framesPerSecond : 1) {}

void CDemoSoundFixedStep::play(u32 ms) {
  mStart = ms;
  mFrame = mFirstFrame;
  mPlaying = true;
}

u32 CDemoSoundFixedStep::getTime() { return mStart + static_cast<u32>(mFrame * 1000u / mFramesPerSecond); }
