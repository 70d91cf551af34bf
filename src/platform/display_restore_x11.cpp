// The display put back through the X server directly (RandR's screen sizes), for
// a thread that may not call SDL: Xlib's connections are independent, so one of
// this thread's own never meets SDL's, whatever the main thread is doing.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <atomic>

#include "platform/display_restore.h"

namespace platform {
namespace {

std::atomic<int> gDesktopWidth{0};
std::atomic<int> gDesktopHeight{0};

}  // namespace

void rememberDesktopSize(int width, int height) {
  gDesktopWidth.store(width);
  gDesktopHeight.store(height);
}

void forgetDesktopSize() { rememberDesktopSize(0, 0); }

void restoreDisplayWithoutSdl() {
  const int width = gDesktopWidth.exchange(0);
  const int height = gDesktopHeight.exchange(0);
  if (width <= 0 || height <= 0) return;
  Display* pDisplay = XOpenDisplay(nullptr);
  if (!pDisplay) return;
  const ::Window root = DefaultRootWindow(pDisplay);
  if (XRRScreenConfiguration* pConfig = XRRGetScreenInfo(pDisplay, root)) {
    int count = 0;
    XRRScreenSize* pSizes = XRRConfigSizes(pConfig, &count);
    Rotation rotation = RR_Rotate_0;
    const SizeID current = XRRConfigCurrentConfiguration(pConfig, &rotation);
    for (int index = 0; index < count; ++index) {
      if (pSizes[index].width != width || pSizes[index].height != height) continue;
      if (index != current) XRRSetScreenConfig(pDisplay, pConfig, root, index, rotation, CurrentTime);
      break;
    }
    XRRFreeScreenConfigInfo(pConfig);
  }
  XCloseDisplay(pDisplay);
}

}  // namespace platform
