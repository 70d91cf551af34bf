// CPostEffectStage: the entries active at the frame's time run over the demo manager's
// line and work screens into the composite screen (or the window, where it can stand
// in); the final effect letterboxes that picture into the window. Main thread only.
#pragma once

#include <memory>

#include "demo/window_screen.h"
#include "framework/types.h"

class CDemoManager;
class CSceneScreen;
class resShader;

class CPostEffectStage {
 public:
  // Works on the manager's screens, effects and post-effect table.
  explicit CPostEffectStage(CDemoManager& demo);
  ~CPostEffectStage();

  // Runs every entry active at the time, or the default effect when none is.
  void run(u32 time);
  // Draws the stage's picture into the window's back buffer, letterboxed.
  void compose();
  // The framebuffer holding the last run's screen picture: the composite
  // screen's, or the window's (0) when the window stood in for it.
  u32 getScreenFrameBuffer() const;

 private:
  void runPasses(resShader* pEffect, s32 pass);
  void runDefaultEffect(const f32 (&viewport)[2]);
  // Gives each work screen the size the post-effect table asks for.
  void fitWorkScreens();
  // Whether this frame's screen entries draw straight into the window.
  bool screenInWindow(u32 time);
  // Copies the picture the stage has composed so far into mpComposedCopy.
  void copyComposedPicture();

  CDemoManager& mDemo;
  // Made on first use: what a row reading "composedBuf" sees. A copy, since the
  // row may write the very screen it reads.
  std::unique_ptr<CSceneScreen> mpComposedCopy;
  WindowScreen mWindowScreen;
  bool mScreenInWindow = false;  // the last run drew the screen into the window
};
