// The soak's passes: the show played several times in a row on its own music
// clock. At each end it reports the resident memory, how far the picture's clock
// drifted from the music heard, and how the output device's pace compared with
// the wall clock over the pass; then it starts the music again.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/types.h"

class IDemoSound;

class CSoakPasses {
 public:
  struct Pass {
    u32 number = 0;        // from 1
    double seconds = 0.0;  // wall time the pass took
    double residentMb = 0.0;
    double driftMs = 0.0;  // picture's clock minus the music heard, at the pass's last playing frame
    double paceMs = 0.0;   // music heard minus wall clock, from the pass's first second to its end
  };
  using WallClock = std::function<double()>;      // milliseconds on a steady clock
  using MusicHeard = std::function<double()>;     // ms heard since the music last started; < 0: not playing
  using Resident = std::function<u64()>;          // resident bytes

  // The music's start-up (the device's first buffer) is not drift: each pass
  // sets the two clocks side by side once it has played this long.
  static constexpr u32 SETTLE_MILLISECONDS = 1000;

  CSoakPasses(u32 passCount, u32 startMs, u32 endMs, WallClock wallClock, MusicHeard musicHeard, Resident resident);

  // Just before the music starts: the first pass counts from here.
  void begin();
  // Every frame's time. At the show's end it reports the pass and, unless it was
  // the last, moves the music back to the start and writes the new time back.
  // False when the last pass has ended.
  bool onFrame(IDemoSound& sound, u32& time);

  const std::vector<Pass>& passes() const { return mPasses; }
  std::string format(const Pass& pass) const;

 private:
  u32 mPassCount;
  u32 mStartMs;
  u32 mEndMs;
  WallClock mWallClock;
  MusicHeard mMusicHeard;
  Resident mResident;
  double mPassWallStart = 0.0;
  bool mHavePace = false;
  double mPaceStart = 0.0;  // music heard minus wall clock once the pass settled
  double mPace = 0.0;       // the same at the last playing frame
  double mDrift = 0.0;      // the picture's clock minus the music, at the last playing frame
  std::vector<Pass> mPasses;
};
