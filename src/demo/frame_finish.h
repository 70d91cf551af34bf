// What goes over the composed picture before it is shown: the 3-second exit fade
// (darkening the picture and quieting the music) and the big screen's gamma.
// Main (user-interface) thread only.
#pragma once

#include <memory>

#include "framework/types.h"

class IDemoSound;
namespace platform {
class ColourRampPass;
}

class ExitFade {
 public:
  static constexpr u32 MILLISECONDS = 3000;

  // One step at the millisecond clock's `now`: sets the volume to the root of
  // what is left and darkens the picture by one minus its square, all GL state
  // put back. False once the fade has finished; the first step starts it.
  bool step(u32 now, IDemoSound* pSound);
  // Forgets a fade in progress (each run starts without one).
  void reset() { mStarted = false; }

 private:
  bool mStarted = false;
  u32 mStart = 0;
};

class PictureGamma {
 public:
  PictureGamma();
  ~PictureGamma();
  // The ramp's curve; 1.0 (or what clamps to it) puts nothing on the picture.
  void set(f32 gamma);
  // Puts the curve on the window's picture of that size.
  void apply(int width, int height);

 private:
  std::unique_ptr<platform::ColourRampPass> mpPass;  // null: gamma 1.0
};
