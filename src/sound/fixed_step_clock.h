// CDemoSoundFixedStep: the demo clock of offline runs (capture, bench). Time moves
// by exactly one frame per advance(), at a fixed rate, and no sound plays, so the
// same frames come out on every machine whatever it takes to render them.
#pragma once

#include "framework/types.h"
#include "sound/demo_sound.h"

class CDemoSoundFixedStep : public IDemoSound {
 public:
  explicit CDemoSoundFixedStep(u32 framesPerSecond);

  // Starts (or restarts) the timeline at ms with the first frame (0 unless set).
  void play(u32 ms) override;
  // A piece of a longer run begins at this frame of it: its times are the run's own.
  void setFirstFrame(u64 frame) { mFirstFrame = frame; }
  void stop() override { mPlaying = false; }
  bool isPlaying() override { return mPlaying; }
  // start + frame * 1000 / fps, truncated.
  u32 getTime() override;
  void setVolume(f32 volume) override { mVolume = volume; }
  f32 getVolume() override { return mVolume; }

  // Moves the clock on by one frame.
  void advance() { ++mFrame; }
  u64 getFrame() const { return mFrame; }
  u32 getFramesPerSecond() const { return mFramesPerSecond; }

 private:
  u32 mFramesPerSecond;
  u32 mStart = 0;
  u64 mFirstFrame = 0;
  u64 mFrame = 0;
  bool mPlaying = false;
  f32 mVolume = 1.0f;
};
