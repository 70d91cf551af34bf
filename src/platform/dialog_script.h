// Driving a dialog window without a viewer, for tests and the documentation's
// picture: synthetic input played a step at a time, a pointer of its own, and a
// PNG of the dialog once it is laid out. Main thread, inside the dialog window.
#pragma once

#include <SDL.h>
#include <imgui.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/dialog_window.h"

namespace platform {

// List scroll positions take effect one frame after they are asked for, so the
// picture is taken, and input starts, once the preselected lines have been
// scrolled into view.
inline constexpr int kDialogSettledFrame = 2;

class DialogScriptPlayer {
 public:
  DialogScriptPlayer(const DialogTemplate& dialog, const DialogWindowOptions& options);

  // Plays this frame's part of the current step: a key pressed or released, a
  // close, or the pointer moved, pressed or released.
  void play(SDL_Window* pWindow, int frame, const std::map<int, float>& listScroll);
  // A driven dialog owns its pointer from the start, parked outside, so that
  // wherever the display's real pointer rests hovers nothing in tests or pictures.
  void applyPointer(ImGuiIO& io) const {
    if (!mPointer) return;
    io.MousePos = mPointerPos;
    io.MouseDown[0] = mButtonDown;
  }
  // After a frame is drawn, before the swap: the picture, at the settled frame.
  void afterFrame(SDL_Window* pWindow, int frame) const;

 private:
  ImVec2 clickPoint(const DialogScriptStep& step, const std::map<int, float>& listScroll) const;

  const DialogTemplate& mDialog;
  const std::vector<DialogScriptStep>& mScript;
  const std::string& mScreenshotPath;
  std::size_t mStep = 0;
  int mPhase = 0;
  bool mPointer = false;  // a driven dialog's pointer is the script's, not the display's
  ImVec2 mPointerPos;
  bool mButtonDown = false;
};

}  // namespace platform
