// CWindow and CWindowGL: the show's window with its OpenGL context, the switch to
// full screen, and the display gamma ramp saved, set and restored around the show.
// Main thread only. The projection with anti-aliasing jitter lives elsewhere.
#pragma once

#include <memory>
#include <string>

#include "demo/frame_target.h"
#include "framework/types.h"
#include "platform/gamma_ramp.h"

namespace platform {
class GlWindow;
}

class CWindow {
 public:
  static constexpr u32 STYLE_POPUP = 0x80000000u;

  CWindow();
  virtual ~CWindow();
  CWindow(const CWindow&) = delete;
  CWindow& operator=(const CWindow&) = delete;

  // A hidden window of the given client size; on failure the message box
  // "System failed CWindow::Create()..." is shown and false returned.
  virtual bool create(const char* title, u32 style, int x, int y, int width, int height);
  virtual void saveGammaRamp();
  virtual void restoreGammaRamp();
  // Full screen only: clamps gamma to 0..2 and keeps it for the picture; the
  // display's own ramp is never changed, so restoreGammaRamp has nothing to do.
  virtual bool setGamma(float gamma);
  virtual float getGamma() const;

  bool changeToFullscreen();
  void show();
  void setAlwaysOnTop(bool onTop);
  void swapBuffers();

  u16 getWidth() const { return mWidth; }
  u16 getHeight() const { return mHeight; }
  bool isFullscreen() const { return mFullscreen != 0; }
  platform::GlWindow& native() { return *mpNative; }

 protected:
  std::unique_ptr<platform::GlWindow> mpNative;
  u16 mWidth = 0;
  u16 mHeight = 0;
  u8 mFullscreen = 0;
  GammaRamp mSavedRamp{};
  bool mHasSavedRamp = false;
  float mGamma = 1.0f;
};

// The demo manager draws into it as its frame target.
class CWindowGL : public CWindow, public IFrameTarget {
 public:
  CWindowGL() = default;
  ~CWindowGL() override;

  u32 getFrameWidth() const override { return getWidth(); }
  u32 getFrameHeight() const override { return getHeight(); }
  void presentFrame() override { swapBuffers(); }

  // A context with at least `samples` multisamples (0 = none), the smallest
  // count offered at or above it; false when none is. The caller makes it current.
  bool createGLContext(int samples);
  bool makeCurrent();

  // The main window's two creation paths: title "Orvane", popup style, the chosen
  // size and samples, context current. createWindowed also centres the window.
  bool createFullscreen(int width, int height, const char* title, int samples);
  bool createWindowed(int width, int height, int samples);

  // A triangle strip centred on the origin with texture coordinates 0..s, 0..t.
  static void drawCentredQuad(float width, float height, float s, float t);
};

// The show's window, reachable process-wide while it exists.
CWindowGL* mainWindow();
void setMainWindow(CWindowGL* pWindow);
