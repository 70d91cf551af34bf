// The show's window over the platform layer.
#include "app/window.h"

#include "platform/gl.h"

#include <cmath>
#include <cstdio>

#include "app/startup_failure.h"
#include "platform/gl_window.h"
#include "platform/video.h"

namespace {
CWindowGL* gpMainWindow = nullptr;
}

CWindowGL* mainWindow() { return gpMainWindow; }
void setMainWindow(CWindowGL* pWindow) { gpMainWindow = pWindow; }

CWindow::CWindow() : mpNative(std::make_unique<platform::GlWindow>()) {}

CWindow::~CWindow() { mpNative->destroy(); }

bool CWindow::create(const char* title, u32 /*style: every window of the show is a popup*/, int x, int y,
                     int width, int height) {
  if (!mpNative->create(title ? title : "", x, y, width, height)) {
    reportStartupFailure("Error", "System failed CWindow::Create().\nCreateWindowEx();", platform::error());
    return false;
  }
  mWidth = static_cast<u16>(width);
  mHeight = static_cast<u16>(height);
  return true;
}

void CWindow::saveGammaRamp() {
  mHasSavedRamp = mpNative->getGammaRamp(mSavedRamp.red, mSavedRamp.green, mSavedRamp.blue);
}

void CWindow::restoreGammaRamp() {
  // Nothing to write back: setGamma never changes the display's ramp, and
  // writing the saved one would undo whatever the desktop set meanwhile.
}

bool CWindow::setGamma(float gamma) {
  if (!mFullscreen) {
    return false;
  }
  // Only remembered: a display ramp needs a colour mode GL windows do not get
  // on X11, is refused on Wayland and headless, and would outlive a crash. The
  // demo manager puts this curve on the picture itself (RunOptions::pictureGamma).
  mGamma = clampGamma(gamma);
  return true;
}

float CWindow::getGamma() const { return mGamma; }

bool CWindow::changeToFullscreen() {
  if (mFullscreen) {
    return false;
  }
  mpNative->setAlwaysOnTop(true);
  if (!mpNative->setFullscreen()) {
    return false;
  }
  mFullscreen = 1;
  mpNative->setDraggable(false);
  return true;
}

void CWindow::show() { mpNative->show(); }

void CWindow::setAlwaysOnTop(bool onTop) { mpNative->setAlwaysOnTop(onTop); }

void CWindow::swapBuffers() { mpNative->swapBuffers(); }

CWindowGL::~CWindowGL() { mpNative->destroy(); }

bool CWindowGL::createGLContext(int samples) { return mpNative->createContext(samples < 1 ? 0 : samples); }

bool CWindowGL::makeCurrent() { return mpNative->makeCurrent(); }

bool CWindowGL::createFullscreen(int width, int height, const char* title, int samples) {
  return create(title, STYLE_POPUP, 0, 0, width, height) && createGLContext(samples) && makeCurrent();
}

bool CWindowGL::createWindowed(int width, int height, int samples) {
  if (!create("Orvane", STYLE_POPUP, 0, 0, width, height) || !createGLContext(samples) || !makeCurrent()) {
    return false;
  }
  const platform::DesktopMode desktop = platform::desktopMode();
  mpNative->setPosition((desktop.width - width) / 2, (desktop.height - height) / 2);
  // A borderless window has no caption to grab: any free point drags it.
  mpNative->setDraggable(true);
  return true;
}

void CWindowGL::drawCentredQuad(float width, float height, float s, float t) {
  const float halfWidth = width / 2.0f;
  const float halfHeight = height / 2.0f;
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(0.0f, t);
  glVertex3f(-halfWidth, halfHeight, 0.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-halfWidth, -halfHeight, 0.0f);
  glTexCoord2f(s, t);
  glVertex3f(halfWidth, halfHeight, 0.0f);
  glTexCoord2f(s, 0.0f);
  glVertex3f(halfWidth, -halfHeight, 0.0f);
  glEnd();
}
