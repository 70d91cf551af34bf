// The dialog's script player (keys and clicks as SDL events and ImGui pointer
// state, a step over several frames) and its PNG picture.
#include "platform/dialog_script.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstdio>

#include "platform/dialog_image.h"

namespace platform {
namespace {

ImVec2 toPixels(int x, int y) {
  return ImVec2(static_cast<float>(x * kDialogPixelsPerUnit), static_cast<float>(y * kDialogPixelsPerUnit));
}

void pushKey(SDL_Window* pWindow, SDL_Keycode key, SDL_Scancode scancode, bool down, bool shift = false) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.windowID = SDL_GetWindowID(pWindow);
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = scancode;
  event.key.keysym.mod = shift ? KMOD_LSHIFT : KMOD_NONE;
  SDL_PushEvent(&event);
}

}  // namespace

DialogScriptPlayer::DialogScriptPlayer(const DialogTemplate& dialog, const DialogWindowOptions& options)
    : mDialog(dialog), mScript(options.script), mScreenshotPath(options.screenshotPath) {
  mPointer = !options.script.empty() || !options.screenshotPath.empty() || options.frameLimit > 0;
  mPointerPos = ImVec2(-FLT_MAX, -FLT_MAX);
}

ImVec2 DialogScriptPlayer::clickPoint(const DialogScriptStep& step, const std::map<int, float>& listScroll) const {
  for (const DialogControl& control : mDialog.controls) {
    if (control.id != step.controlId) continue;
    const ImVec2 topLeft = toPixels(control.rect.x, control.rect.y);
    const ImVec2 size = toPixels(control.rect.width, control.rect.height);
    if (control.kind == DialogControlKind::ListBox && step.line >= 0) {
      const ImGuiStyle& style = ImGui::GetStyle();
      const float lineHeight = ImGui::GetIO().Fonts->Fonts[0]->FontSize + style.ItemSpacing.y;
      const auto scroll = listScroll.find(control.id);
      const float offset = scroll == listScroll.end() ? 0.0f : scroll->second;
      return ImVec2(topLeft.x + size.x * 0.4f, topLeft.y + style.FramePadding.y +
                                                   lineHeight * (step.line + 0.5f) - offset);
    }
    // Check boxes take clicks on their box, at the left.
    if (control.kind == DialogControlKind::CheckBox) {
      return ImVec2(topLeft.x + size.y * 0.5f, topLeft.y + size.y * 0.5f);
    }
    return ImVec2(topLeft.x + size.x * 0.5f, topLeft.y + size.y * 0.5f);
  }
  return ImVec2(-1.0f, -1.0f);
}

void DialogScriptPlayer::play(SDL_Window* pWindow, int frame, const std::map<int, float>& listScroll) {
  // Input waits until the layout has settled and the picture was taken, as a
  // viewer's would: lists must be scrolled to their lines before a click lands.
  if (frame <= kDialogSettledFrame) return;
  if (mStep >= mScript.size()) return;
  const DialogScriptStep& step = mScript[mStep];
  bool done = false;
  switch (step.kind) {
    case DialogScriptStep::Kind::Enter:
    case DialogScriptStep::Kind::Escape: {
      const bool enter = step.kind == DialogScriptStep::Kind::Enter;
      pushKey(pWindow, enter ? SDLK_RETURN : SDLK_ESCAPE,
              enter ? SDL_SCANCODE_RETURN : SDL_SCANCODE_ESCAPE, mPhase == 0);
      done = mPhase == 1;
      break;
    }
    case DialogScriptStep::Kind::Tab:
    case DialogScriptStep::Kind::ShiftTab:
    case DialogScriptStep::Kind::Up:
    case DialogScriptStep::Kind::Down:
    case DialogScriptStep::Kind::Space: {
      SDL_Keycode key = SDLK_TAB;
      SDL_Scancode scancode = SDL_SCANCODE_TAB;
      if (step.kind == DialogScriptStep::Kind::Up) key = SDLK_UP, scancode = SDL_SCANCODE_UP;
      if (step.kind == DialogScriptStep::Kind::Down) key = SDLK_DOWN, scancode = SDL_SCANCODE_DOWN;
      if (step.kind == DialogScriptStep::Kind::Space) key = SDLK_SPACE, scancode = SDL_SCANCODE_SPACE;
      pushKey(pWindow, key, scancode, mPhase == 0, step.kind == DialogScriptStep::Kind::ShiftTab);
      done = mPhase == 1;
      break;
    }
    case DialogScriptStep::Kind::Close: {
      SDL_Event event{};
      event.type = SDL_WINDOWEVENT;
      event.window.windowID = SDL_GetWindowID(pWindow);
      event.window.event = SDL_WINDOWEVENT_CLOSE;
      SDL_PushEvent(&event);
      done = true;
      break;
    }
    case DialogScriptStep::Kind::Click:
      // Point, press and release on separate frames, as a hand would: ImGui
      // only clicks an item it saw hovered and then pressed.
      mPointer = true;
      mPointerPos = clickPoint(step, listScroll);
      mButtonDown = mPhase == 1;
      done = mPhase == 2;
      break;
  }
  if (done) {
    ++mStep;
    mPhase = 0;
  } else {
    ++mPhase;
  }
}

void DialogScriptPlayer::afterFrame(SDL_Window* pWindow, int frame) const {
  if (frame != kDialogSettledFrame || mScreenshotPath.empty()) return;
  DialogImage image;
  SDL_GL_GetDrawableSize(pWindow, &image.width, &image.height);
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
  std::vector<std::uint8_t> bottomUp(rowBytes * static_cast<std::size_t>(image.height));
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  image.rgba.resize(bottomUp.size());
  for (int row = 0; row < image.height; ++row) {
    std::copy_n(bottomUp.data() + rowBytes * static_cast<std::size_t>(image.height - 1 - row),
                rowBytes, image.rgba.data() + rowBytes * static_cast<std::size_t>(row));
  }
  for (std::size_t pixel = 3; pixel < image.rgba.size(); pixel += 4) image.rgba[pixel] = 255;
  if (!saveDialogImagePng(mScreenshotPath, image)) {
    std::fprintf(stderr, "dialog: cannot write the screenshot %s\n",
                 mScreenshotPath.c_str());
  }
}

}  // namespace platform
