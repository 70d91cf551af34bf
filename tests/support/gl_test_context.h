// A hidden window with a current OpenGL compatibility context, for tests that
// need GL (run under xvfb-run, or with SDL_VIDEODRIVER=offscreen).
#pragma once

#include <memory>

#include "app/window.h"

class GlTestContext {
 public:
  explicit GlTestContext(int width = 64, int height = 64, int samples = 0);
  ~GlTestContext();

  // False when no display or context could be had; tests then fail with why.
  bool ok() const { return mOk; }
  const char* error() const { return mError.c_str(); }
  CWindowGL& window() { return *mpWindow; }

 private:
  std::unique_ptr<CWindowGL> mpWindow;
  bool mOk = false;
  std::string mError;
};
