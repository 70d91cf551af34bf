// GL test context over the application's own window class.
#include "support/gl_test_context.h"

#include "platform/gl_window.h"
#include "platform/video.h"

GlTestContext::GlTestContext(int width, int height, int samples) : mpWindow(std::make_unique<CWindowGL>()) {
  if (!platform::initVideo()) {
    mError = "no display: " + platform::error();
    return;
  }
  if (!mpWindow->create("orvane test", CWindow::STYLE_POPUP, 0, 0, width, height) ||
      !mpWindow->createGLContext(samples) || !mpWindow->makeCurrent()) {
    mError = "no GL context: " + platform::error();
    return;
  }
  if (!platform::initGLFunctions()) {
    mError = "GL entry points could not be loaded";
    return;
  }
  mOk = true;
}

GlTestContext::~GlTestContext() { mpWindow.reset(); }
