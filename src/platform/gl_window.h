// One native window with an OpenGL compatibility-profile context (SDL2 + GLEW):
// creation, multisample request, full-screen switch, gamma ramp, stacking, dragging.
// Main thread only. Does not: pick sizes or policies; the application shell does.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "framework/types.h"

namespace platform {

class GlWindow {
 public:
  GlWindow();
  ~GlWindow();
  GlWindow(const GlWindow&) = delete;
  GlWindow& operator=(const GlWindow&) = delete;

  // A hidden borderless window of the given client size; false on failure.
  bool create(const std::string& title, int x, int y, int width, int height);
  // A context with the given multisample count (0 = none), made current: the
  // smallest count the system offers at or above it. False when none is.
  bool createContext(int samples);
  // The samples the context's framebuffer has (0 = none).
  int grantedSamples() const;
  bool makeCurrent();
  void destroy();

  void show();
  void setPosition(int x, int y);
  void setAlwaysOnTop(bool onTop);
  // Switches the display to the window's size and covers it.
  bool setFullscreen();
  // While set, a button press on any point of the window drags it.
  void setDraggable(bool draggable);
  void swapBuffers();

  bool getGammaRamp(u16* red, u16* green, u16* blue);
  bool setGammaRamp(const u16* red, const u16* green, const u16* blue);

  // Whether the window covers the display in a full-screen mode right now.
  bool coversDisplay() const;
  bool isCreated() const;
  bool hasContext() const;
  u32 windowId() const;

 private:
  struct Native;
  std::unique_ptr<Native> mNative;
};

// The multisample count to use for a request of `requested` (> 0): tries the
// request and then each higher power of two up to 32; `attempt` creates a
// context asking for a count and returns the count granted (0 when refused).
// The first grant at or above the request wins; 0 when there is none.
int chooseSampleCount(int requested, const std::function<int(int)>& attempt);

// 1: wait for vertical retrace, 0: do not. Unsupported drivers are not an error.
bool setSwapInterval(int interval);

// Loads the GL entry points for the current context. Works with a display
// server (GLX) and without one (EGL), where GLEW's own start-up refuses.
bool initGLFunctions();

struct GLCapabilities {
  bool version20 = false;
  bool pointParameters = false;
  bool pointSprite = false;
  bool nonPowerOfTwo = false;
};
GLCapabilities queryGLCapabilities();

}  // namespace platform
