// What the program changed outside its window, put back on the way out of a
// process that ends at once (a fatal stop, a quit signal): the display mode a
// full-screen window switched to. The normal shutdown does not need it.
#pragma once

namespace platform {

// Switches the display back to the desktop's mode when a full-screen window of
// ours changed it; does nothing otherwise. Safe to call more than once. Main
// thread (it goes through SDL).
void restoreDisplayForExit();

// The same through a connection to the X server of the calling thread's own,
// for a thread that may not use SDL while the main thread is stuck. Any thread.
void restoreDisplayWithoutSdl();

// The desktop's size while a full-screen window of ours has changed the mode
// (what restoreDisplayWithoutSdl puts back); forgotten once the mode is back.
void rememberDesktopSize(int width, int height);
void forgetDesktopSize();

}  // namespace platform
