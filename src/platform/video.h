// The windowing system as the rest of the engine sees it: start-up of the video
// subsystem, the desktop, the cursor, message boxes, the millisecond clock and the
// event queue. Main thread only (showMessageBox may be called from any thread).
#pragma once

#include <string>

#include "framework/types.h"

namespace platform {

// Starts the video subsystem once; false (with error()) when no display can be used.
bool initVideo();
void quitVideo();
std::string error();

struct DesktopMode {
  int width = 0;
  int height = 0;
};
// The desktop's current mode; 0 x 0 when the display reports none.
DesktopMode desktopMode();

void showCursor(bool visible);
void showMessageBox(const char* caption, const char* text);

// Milliseconds since the video subsystem started, wrapping at 2^32.
u32 ticks();
void sleepMilliseconds(u32 milliseconds);

enum class EventType { None, Quit, WindowClose, KeyDown, PointerDown, PointerDrag, PointerUp, Other };
enum class Key { Other, Escape, Space, Left, Right, Up, Down, PageUp, PageDown, Home, Tab };

struct Event {
  EventType type = EventType::None;
  Key key = Key::Other;
  bool repeat = false;
  // Pointer events (left button: pressed, moved while held, released), in window
  // pixels from the top-left corner.
  int x = 0;
  int y = 0;
};

// Takes the next event without waiting; false when the queue is empty.
bool pollEvent(Event& event);

// Synthetic input, for tests and scripted runs.
void pushKeyDown(Key key, bool repeat = false);
void pushWindowClose();
void pushQuit();

}  // namespace platform
