// The demo's single time base: IDemoSound starts and stops the music and reads
// the demo time; CDemoSoundREAL advances it by a millisecond clock while its
// CSound plays and after the music has ended by itself. Main thread only.
#pragma once

#include <functional>
#include <memory>

#include "framework/types.h"
#include "platform/sound_device.h"
#include "sound/sound.h"

class IDemoSound {
 public:
  virtual ~IDemoSound() = default;
  virtual void play(u32 ms) = 0;
  virtual void stop() = 0;
  virtual bool isPlaying() = 0;
  // Demo time in milliseconds.
  virtual u32 getTime() = 0;
  // 1.0 is full volume, 0.0 silence.
  virtual void setVolume(f32 volume) = 0;
  virtual f32 getVolume() = 0;
  // Moves the demo time to ms, keeping the music's state: playing music plays on
  // from ms, paused music resumes there.
  virtual void seek(u32 ms) {
    const bool playing = isPlaying();
    play(ms);
    if (!playing) stop();
  }
};

class CDemoSoundREAL : public IDemoSound {
 public:
  // A millisecond counter that wraps at 2^32, like the system's.
  using MillisecondClock = std::function<u32()>;
  static u32 systemMilliseconds();

  // Ticks by what the sound device has played of the music, interpolated
  // between its mixes, so the picture cannot drift from the sound even when
  // the device's pace differs from the system clock's (SDL's dummy driver runs
  // about 0.7 % slow). Without music it falls back to the system clock.
  CDemoSoundREAL();
  // Ticks by the given clock (systemMilliseconds for the plain wall clock; a
  // fake one in tests).
  explicit CDemoSoundREAL(MillisecondClock clock);
  ~CDemoSoundREAL() override;

  // Opens the system sound device and "data\air.ogg"; false (with a message
  // already shown for a file problem) when either fails.
  bool create(void* pWindow);
  // The same over a given device and file; tests use a null device.
  bool create(std::unique_ptr<platform::SoundDevice> pDevice, const char* pFileName = CSound::MUSIC_FILE_NAME);

  void play(u32 ms) override;
  void stop() override;
  bool isPlaying() override;
  u32 getTime() override;
  // Playing: restarts the music at ms (the decoder set to the nearest frame) and
  // the clock with it; stopped: only the clock moves, and play(getTime()) resumes.
  void seek(u32 ms) override;
  void setVolume(f32 volume) override;
  f32 getVolume() override;

  CSound* getSound() { return mpSound.get(); }  // owned; null before a successful create

 private:
  bool finishCreate(s32 initializeResult, const char* pFileName);
  u32 readClock();

  std::unique_ptr<CSound> mpSound;
  // Once the music has ended by itself the clock goes on by the wall clock (or
  // the injected one), so the show can run past the music's last sample and end.
  bool mPastEnd = false;
  u32 mTime = 0;       // demo time last returned
  u32 mLastTick = 0;   // clock reading at the last update
  MillisecondClock mClock;  // empty: the music's played position
};
