// What the program changed outside its window, put back on the way out of a
// process that ends at once (a fatal stop, a quit signal): the display mode a
// full-screen window switched to. Any thread; the normal shutdown does not need it.
#pragma once

namespace platform {

// Switches the display back to the desktop's mode when a full-screen window of
// ours changed it; does nothing otherwise. Safe to call more than once.
void restoreDisplayForExit();

}  // namespace platform
