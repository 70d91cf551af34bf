// Starting SDL's video subsystem (reference-counted) without settling for SDL's
// stand-in drivers while a display server is named. Main thread only.
#pragma once

#include "framework/types.h"

namespace platform {

// SDL_InitSubSystem with `flags` (which include video). A display server that is
// busy, such as a fresh Xvfb that many clients reach at once, refuses a connection
// for a moment (its listen queue is full), and SDL then quietly falls through to its
// offscreen driver with an invented 1024 x 768 desktop; so while DISPLAY or
// WAYLAND_DISPLAY is set and no driver is asked for, this asks again a few times
// before settling for it. False when SDL cannot start video at all.
bool startVideoSubsystem(u32 flags);

// True when a display server (DISPLAY, WAYLAND_DISPLAY) or an SDL video driver
// (SDL_VIDEODRIVER) is named. Without one SDL settles for its invisible stand-in,
// where a window is shown to nobody and a dialog waits for ever.
bool displayNamed();

}  // namespace platform
