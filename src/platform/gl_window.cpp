// SDL2 windows and GL contexts. Multisampling is a property of the window's visual,
// so asking for samples recreates the native window with the new attributes.
#include "platform/gl_window.h"

#include <GL/glew.h>
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/display_modes.h"
#include "platform/display_restore.h"
#include "platform/quit_signals.h"

namespace platform {

struct GlWindow::Native {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  std::string title;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool draggable = false;
  int samples = 0;  // granted with the context
};

namespace {

// The window that switched the display, for a process that ends at once.
std::atomic<SDL_Window*> gFullscreenWindow{nullptr};

SDL_HitTestResult dragAnywhere(SDL_Window*, const SDL_Point*, void*) { return SDL_HITTEST_DRAGGABLE; }

void setContextAttributes(int samples) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples > 0 ? samples : 0);
}

SDL_Window* openWindow(const std::string& title, int x, int y, int width, int height) {
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
  return SDL_CreateWindow(title.c_str(), x, y, width, height, flags);
}

}  // namespace

GlWindow::GlWindow() : mNative(std::make_unique<Native>()) {}

GlWindow::~GlWindow() { destroy(); }

bool GlWindow::create(const std::string& title, int x, int y, int width, int height) {
  destroy();
  setContextAttributes(0);
  SDL_Window* window = openWindow(title, x, y, width, height);
  if (!window) {
    return false;
  }
  mNative->window = window;
  mNative->title = title;
  mNative->x = x;
  mNative->y = y;
  mNative->width = width;
  mNative->height = height;
  return true;
}

bool GlWindow::createContext(int samples) {
  Native& native = *mNative;
  if (!native.window) {
    return false;
  }
  if (native.context) {
    SDL_GL_DeleteContext(native.context);
    native.context = nullptr;
  }
  native.samples = 0;
  // A refused request leaves a window without samples behind, so the caller
  // may ask again with another count.
  auto reopen = [&native, this](int withSamples) {
    setContextAttributes(withSamples);
    SDL_DestroyWindow(native.window);
    native.window = openWindow(native.title, native.x, native.y, native.width, native.height);
    if (native.window) {
      setDraggable(native.draggable);
    }
    return native.window != nullptr;
  };
  auto refuse = [&]() {
    if (native.context) {
      SDL_GL_DeleteContext(native.context);
      native.context = nullptr;
    }
    reopen(0);
    return false;
  };

  if (samples <= 0) {
    setContextAttributes(0);
    native.context = SDL_GL_CreateContext(native.window);
    return native.context != nullptr;
  }
  // As a pixel-format choice does: a driver offering only 4 and 8 samples
  // serves a request for 2 with 4.
  const int chosen = chooseSampleCount(samples, [&](int count) {
    if (native.context) {
      SDL_GL_DeleteContext(native.context);
      native.context = nullptr;
    }
    if (!reopen(count)) return 0;
    native.context = SDL_GL_CreateContext(native.window);
    if (!native.context) return 0;
    int buffers = 0;
    int granted = 0;
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers);
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &granted);
    return buffers == 1 ? granted : 0;
  });
  if (chosen == 0) {
    return refuse();
  }
  native.samples = chosen;
  return true;
}

int GlWindow::grantedSamples() const { return mNative->context ? mNative->samples : 0; }

int chooseSampleCount(int requested, const std::function<int(int)>& attempt) {
  int count = requested;
  while (count <= 32) {
    const int granted = attempt(count);
    if (granted >= requested) return granted;
    int next = 1;
    while (next <= count) next <<= 1;  // the next power of two above
    count = next;
  }
  return 0;
}

bool GlWindow::makeCurrent() {
  return mNative->context && SDL_GL_MakeCurrent(mNative->window, mNative->context) == 0;
}

void GlWindow::destroy() {
  Native& native = *mNative;
  SDL_Window* expected = native.window;
  if (expected && gFullscreenWindow.compare_exchange_strong(expected, nullptr)) forgetDesktopSize();
  if (native.context) {
    SDL_GL_MakeCurrent(native.window, nullptr);
    SDL_GL_DeleteContext(native.context);
    native.context = nullptr;
  }
  if (native.window) {
    SDL_DestroyWindow(native.window);
    native.window = nullptr;
  }
}

void GlWindow::show() {
  if (mNative->window) {
    SDL_ShowWindow(mNative->window);
  }
}

void GlWindow::setPosition(int x, int y) {
  mNative->x = x;
  mNative->y = y;
  if (mNative->window) {
    SDL_SetWindowPosition(mNative->window, x, y);
  }
}

void GlWindow::setAlwaysOnTop(bool onTop) {
  if (mNative->window) {
    SDL_SetWindowAlwaysOnTop(mNative->window, onTop ? SDL_TRUE : SDL_FALSE);
  }
}

bool GlWindow::setFullscreen() {
  Native& native = *mNative;
  if (!native.window) {
    return false;
  }
  const int display = std::max(SDL_GetWindowDisplayIndex(native.window), 0);
  std::vector<DisplayModeInfo> modes;
  std::vector<SDL_DisplayMode> sdlModes;
  for (int i = 0, count = SDL_GetNumDisplayModes(display); i < count; ++i) {
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
    sdlModes.push_back(mode);
    modes.push_back({mode.w, mode.h, static_cast<int>(SDL_BITSPERPIXEL(mode.format)),
                     static_cast<int>(SDL_BYTESPERPIXEL(mode.format)), mode.refresh_rate});
  }
  SDL_DisplayMode desktop{};
  SDL_GetDesktopDisplayMode(display, &desktop);
  const int index = exactModeIndex(modes, native.width, native.height, static_cast<int>(SDL_BITSPERPIXEL(desktop.format)));
  if (index < 0) {
    SDL_SetError("the display offers no %dx%d mode", native.width, native.height);
    return false;
  }
  // The switch takes effect only for a shown window; show it now, so that it
  // can be confirmed here rather than found wrong later.
  if (SDL_SetWindowDisplayMode(native.window, &sdlModes[static_cast<std::size_t>(index)]) != 0) {
    return false;
  }
  SDL_ShowWindow(native.window);
  if (SDL_SetWindowFullscreen(native.window, SDL_WINDOW_FULLSCREEN) != 0) {
    return false;
  }
  gFullscreenWindow.store(native.window);
  rememberDesktopSize(desktop.w, desktop.h);
  SDL_PumpEvents();
  SDL_DisplayMode current{};
  if (SDL_GetCurrentDisplayMode(display, &current) != 0 || current.w != native.width ||
      current.h != native.height) {
    const int shownWidth = current.w;
    const int shownHeight = current.h;
    restoreDisplayForExit();
    SDL_SetError("the display did not switch to %dx%d (it shows %dx%d)", native.width, native.height, shownWidth,
                 shownHeight);
    return false;
  }
  return true;
}

void restoreDisplayForExit() {
  if (SDL_Window* window = gFullscreenWindow.exchange(nullptr)) {
    // Leaving full screen puts the desktop's mode back, which on X11 would
    // otherwise outlive the process.
    SDL_SetWindowFullscreen(window, 0);
    forgetDesktopSize();
  }
}

void GlWindow::setDraggable(bool draggable) {
  mNative->draggable = draggable;
  if (mNative->window) {
    SDL_SetWindowHitTest(mNative->window, draggable ? dragAnywhere : nullptr, nullptr);
  }
}

void GlWindow::swapBuffers() {
  if (mNative->window) {
    SDL_GL_SwapWindow(mNative->window);
  }
  // Loading presents frames without looking at events: an exit another thread
  // asked for is taken here too.
  serviceExitRequest();
}

bool GlWindow::getGammaRamp(u16* red, u16* green, u16* blue) {
  return mNative->window && SDL_GetWindowGammaRamp(mNative->window, red, green, blue) == 0;
}

bool GlWindow::setGammaRamp(const u16* red, const u16* green, const u16* blue) {
  return mNative->window && SDL_SetWindowGammaRamp(mNative->window, red, green, blue) == 0;
}

bool GlWindow::coversDisplay() const {
  return mNative->window && (SDL_GetWindowFlags(mNative->window) & SDL_WINDOW_FULLSCREEN) != 0;
}

bool GlWindow::isCreated() const { return mNative->window != nullptr; }

bool GlWindow::hasContext() const { return mNative->context != nullptr; }

u32 GlWindow::windowId() const { return mNative->window ? SDL_GetWindowID(mNative->window) : 0; }

bool setSwapInterval(int interval) { return SDL_GL_SetSwapInterval(interval) == 0; }

bool initGLFunctions() {
  glewExperimental = GL_TRUE;
  const GLenum result = glewInit();
  if (result == GLEW_OK) {
    return true;
  }
  // Without an X display (EGL) GLEW's GLX half fails after the GL half has
  // already loaded every entry point and capability flag.
  return result == GLEW_ERROR_NO_GLX_DISPLAY;
}

GLCapabilities queryGLCapabilities() {
  GLCapabilities capabilities;
  capabilities.version20 = GLEW_VERSION_2_0 != 0;
  capabilities.pointParameters = GLEW_ARB_point_parameters != 0;
  capabilities.pointSprite = GLEW_ARB_point_sprite != 0;
  capabilities.nonPowerOfTwo = GLEW_ARB_texture_non_power_of_two != 0;
  return capabilities;
}

}  // namespace platform
