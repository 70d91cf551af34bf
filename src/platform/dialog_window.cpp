// The dialog window: SDL for the window, input and dragging, Dear ImGui (SDL2 and
// OpenGL2 backends) for the controls. Runs on the main thread, before any other
// window exists, and leaves SDL's GL attributes and ImGui's current context as found.
#include "platform/dialog_window.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/dialog_image.h"
#include "platform/dialog_script.h"
#include "platform/quit_signals.h"
#include "platform/video_subsystem.h"

namespace platform {
namespace {

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr float kFontPixels = 14.0f;

ImVec2 toPixels(int x, int y) {
  return ImVec2(static_cast<float>(x * kDialogPixelsPerUnit),
                static_cast<float>(y * kDialogPixelsPerUnit));
}

bool takesClicks(DialogControlKind kind) {
  return kind != DialogControlKind::Picture && kind != DialogControlKind::GroupBox;
}

SDL_HitTestResult hitTest(SDL_Window*, const SDL_Point* point, void* data) {
  const auto* dialog = static_cast<const DialogTemplate*>(data);
  return dialogControlAt(*dialog, point->x, point->y) == 0 ? SDL_HITTEST_DRAGGABLE
                                                          : SDL_HITTEST_NORMAL;
}

void applyStyle() {
  ImGui::StyleColorsDark();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowRounding = 0.0f;
  style.WindowBorderSize = 1.0f;
  style.WindowPadding = ImVec2(0.0f, 0.0f);
  style.FramePadding = ImVec2(4.0f, 1.0f);
  style.FrameRounding = 2.0f;
  style.ItemSpacing = ImVec2(4.0f, 2.0f);
  style.ScrollbarSize = 10.0f;
  style.DisabledAlpha = 0.4f;
  ImVec4* colours = style.Colors;
  const ImVec4 petal(0.93f, 0.56f, 0.70f, 1.0f);
  colours[ImGuiCol_WindowBg] = ImVec4(0.10f, 0.10f, 0.15f, 1.0f);
  colours[ImGuiCol_Border] = ImVec4(0.55f, 0.40f, 0.55f, 1.0f);
  colours[ImGuiCol_FrameBg] = ImVec4(0.16f, 0.16f, 0.23f, 1.0f);
  colours[ImGuiCol_FrameBgHovered] = ImVec4(0.26f, 0.22f, 0.32f, 1.0f);
  colours[ImGuiCol_FrameBgActive] = ImVec4(0.34f, 0.26f, 0.38f, 1.0f);
  colours[ImGuiCol_CheckMark] = petal;
  colours[ImGuiCol_Header] = ImVec4(0.62f, 0.30f, 0.48f, 1.0f);
  colours[ImGuiCol_HeaderHovered] = ImVec4(0.52f, 0.30f, 0.46f, 1.0f);
  colours[ImGuiCol_HeaderActive] = ImVec4(0.72f, 0.36f, 0.54f, 1.0f);
  colours[ImGuiCol_Button] = ImVec4(0.22f, 0.20f, 0.30f, 1.0f);
  colours[ImGuiCol_ButtonHovered] = ImVec4(0.46f, 0.28f, 0.44f, 1.0f);
  colours[ImGuiCol_ButtonActive] = ImVec4(0.66f, 0.34f, 0.52f, 1.0f);
  colours[ImGuiCol_Text] = ImVec4(0.93f, 0.91f, 0.95f, 1.0f);
}

// One open dialog: the window, its GL context, the ImGui context and the
// picture textures, released in reverse order.
class DialogWindow {
 public:
  DialogWindow(const DialogTemplate& dialog, DialogHandler& handler,
               const DialogWindowOptions& options)
      : mDialog(dialog), mHandler(handler), mOptions(options), mScript(dialog, options) {}
  ~DialogWindow() { close(); }
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  bool open();
  int run();

 private:
  void close();
  void loadPictures();
  void handleEvent(const SDL_Event& event);
  void drawFrame();
  void drawControl(const DialogControl& control, ImDrawList* drawList);
  void end(int result) {
    if (result != 0 && mResult == 0) mResult = result;
  }

  const DialogTemplate& mDialog;
  DialogHandler& mHandler;
  const DialogWindowOptions& mOptions;

  bool mVideoReady = false;
  SDL_Window* mpWindow = nullptr;
  SDL_GLContext mGlContext = nullptr;
  ImGuiContext* mpPreviousImGui = nullptr;
  ImGuiContext* mpImGui = nullptr;
  bool mBackendsReady = false;
  std::map<int, GLuint> mPictureTextures;  // control index -> texture

  int mResult = 0;
  int mFrame = 0;
  DialogScriptPlayer mScript;
  std::map<int, float> mListScroll;  // list id -> scroll offset of the last frame
  int mFocus = 0;                     // the control the keyboard works on; 0: none
  int mFollowSelection = 0;           // a list whose selection the keyboard moved
  bool mShowFocus = false;            // as on the desktop: the frame shows once the keyboard is used
  void handleFocusKey(SDL_Keycode key, bool shift);
};

bool DialogWindow::open() {
  mVideoReady = startVideoSubsystem(SDL_INIT_VIDEO);
  if (!mVideoReady) return false;

  const int width = mDialog.width * kDialogPixelsPerUnit;
  const int height = mDialog.height * kDialogPixelsPerUnit;
  int x = SDL_WINDOWPOS_CENTERED;
  int y = SDL_WINDOWPOS_CENTERED;
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    x = (desktop.w - width) / 2;
    y = (desktop.h - height) / 2;
  }

  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  mpWindow = SDL_CreateWindow(mOptions.title.c_str(), x, y, width, height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
  if (mpWindow) mGlContext = SDL_GL_CreateContext(mpWindow);
  // The main window sets the attributes it needs; leave it none of ours.
  SDL_GL_ResetAttributes();
  if (!mpWindow || !mGlContext) return false;
  SDL_GL_MakeCurrent(mpWindow, mGlContext);
  SDL_GL_SetSwapInterval(1);  // refused by some drivers; the loop waits on events anyway

  SDL_SetWindowHitTest(mpWindow, hitTest, const_cast<DialogTemplate*>(&mDialog));

  mpPreviousImGui = ImGui::GetCurrentContext();
  mpImGui = ImGui::CreateContext();
  ImGui::SetCurrentContext(mpImGui);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // the program writes no files
  io.LogFilename = nullptr;
  applyStyle();
  if (SDL_RWops* probe = SDL_RWFromFile(kFontFile, "rb")) {
    SDL_RWclose(probe);
    io.Fonts->AddFontFromFileTTF(kFontFile, kFontPixels);
  } else {
    io.Fonts->AddFontDefault();
  }
  mBackendsReady = ImGui_ImplSDL2_InitForOpenGL(mpWindow, mGlContext) && ImGui_ImplOpenGL2_Init();
  if (!mBackendsReady) return false;

  loadPictures();
  SDL_ShowWindow(mpWindow);
  SDL_RaiseWindow(mpWindow);
  return true;
}

void DialogWindow::close() {
  for (auto& [index, texture] : mPictureTextures) glDeleteTextures(1, &texture);
  mPictureTextures.clear();
  if (mpImGui) {
    if (mBackendsReady) {
      ImGui_ImplOpenGL2_Shutdown();
      ImGui_ImplSDL2_Shutdown();
    }
    ImGui::DestroyContext(mpImGui);
    ImGui::SetCurrentContext(mpPreviousImGui);
    mpImGui = nullptr;
  }
  if (mGlContext) SDL_GL_DeleteContext(mGlContext);
  mGlContext = nullptr;
  if (mpWindow) SDL_DestroyWindow(mpWindow);
  mpWindow = nullptr;
  if (mVideoReady) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  mVideoReady = false;
}

void DialogWindow::loadPictures() {
  for (std::size_t index = 0; index < mDialog.controls.size(); ++index) {
    const DialogControl& control = mDialog.controls[index];
    if (control.kind != DialogControlKind::Picture) continue;
    DialogImage image;
    // A missing picture is only a blank: the dialog still works without it.
    if (!loadDialogImage(control.text, image)) continue;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, image.rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    mPictureTextures[static_cast<int>(index)] = texture;
  }
}

int DialogWindow::run() {
  mFocus = nextFocusedControl(mDialog, mHandler, 0, false);  // the first list, as a desktop dialog starts
  while (mResult == 0) {
    if (mOptions.frameLimit > 0 && mFrame >= mOptions.frameLimit) break;
    mScript.play(mpWindow, mFrame, mListScroll);
    SDL_Event event;
    // A viewer's dialog sleeps until something happens; a driven one (script or
    // frame limit) never waits, and the first frames run at once so that the
    // layout settles.
    const bool busy = !mOptions.script.empty() || mOptions.frameLimit > 0 ||
                      mFrame < kDialogSettledFrame + 1;
    if (busy ? SDL_PollEvent(&event) : SDL_WaitEventTimeout(&event, 250)) {
      do {
        handleEvent(event);
      } while (SDL_PollEvent(&event));
    }
    serviceExitRequest();  // a quit signal wakes the wait above with an event
    if (mResult != 0) break;
    drawFrame();
    ++mFrame;
  }
  return mResult;
}

void DialogWindow::handleEvent(const SDL_Event& event) {
  ImGui_ImplSDL2_ProcessEvent(&event);
  const Uint32 windowId = SDL_GetWindowID(mpWindow);
  switch (event.type) {
    case SDL_KEYDOWN:
      if (event.key.windowID != 0 && event.key.windowID != windowId) break;
      if (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER) {
        // Enter presses the default button, if it may be pressed.
        for (const DialogControl& control : mDialog.controls) {
          if (control.kind == DialogControlKind::DefaultPushButton &&
              mHandler.controlState(control.id).enabled) {
            end(mHandler.command(control.id));
          }
        }
      } else if (event.key.keysym.sym == SDLK_ESCAPE) {
        end(mHandler.command(kDialogCancelId));
      } else {
        handleFocusKey(event.key.keysym.sym, (event.key.keysym.mod & KMOD_SHIFT) != 0);
      }
      break;
    case SDL_QUIT:
      end(mHandler.command(kDialogCancelId));
      break;
    case SDL_WINDOWEVENT:
      if (event.window.windowID == windowId && event.window.event == SDL_WINDOWEVENT_CLOSE) {
        end(mHandler.command(kDialogCancelId));
      }
      break;
    default:
      break;
  }
}

void DialogWindow::handleFocusKey(SDL_Keycode key, bool shift) {
  if (key != SDLK_TAB && key != SDLK_UP && key != SDLK_DOWN && key != SDLK_SPACE) return;
  mShowFocus = true;
  if (key == SDLK_TAB) {
    mFocus = nextFocusedControl(mDialog, mHandler, mFocus, shift);
    return;
  }
  const DialogControl* pFocused = nullptr;
  for (const DialogControl& control : mDialog.controls) {
    if (control.id == mFocus && control.id != 0) pFocused = &control;
  }
  if (!pFocused) return;
  const DialogControlState state = mHandler.controlState(pFocused->id);
  if (!state.enabled) return;
  if (pFocused->kind == DialogControlKind::ListBox && (key == SDLK_UP || key == SDLK_DOWN)) {
    const int last = static_cast<int>(state.lines.size()) - 1;
    if (last < 0) return;
    const int line = std::clamp(state.selected + (key == SDLK_UP ? -1 : 1), 0, last);
    if (line != state.selected) {
      mHandler.select(pFocused->id, line);
      mFollowSelection = pFocused->id;
    }
  } else if (key == SDLK_SPACE && pFocused->kind != DialogControlKind::ListBox) {
    end(mHandler.command(pFocused->id));
  }
}

void DialogWindow::drawFrame() {
  ImGui_ImplOpenGL2_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  ImGuiIO& io = ImGui::GetIO();
  mScript.applyPointer(io);
  ImGui::NewFrame();

  ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
  ImGui::SetNextWindowSize(io.DisplaySize);
  const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                 ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoSavedSettings |
                                 ImGuiWindowFlags_NoScrollWithMouse |
                                 ImGuiWindowFlags_NoBringToFrontOnFocus;
  ImGui::Begin("##dialog", nullptr, flags);
  ImDrawList* drawList = ImGui::GetWindowDrawList();
  for (const DialogControl& control : mDialog.controls) drawControl(control, drawList);
  ImGui::End();

  ImGui::Render();
  int width = 0;
  int height = 0;
  SDL_GL_GetDrawableSize(mpWindow, &width, &height);
  glViewport(0, 0, width, height);
  glClearColor(0.10f, 0.10f, 0.15f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
  mScript.afterFrame(mpWindow, mFrame);
  SDL_GL_SwapWindow(mpWindow);
}

void DialogWindow::drawControl(const DialogControl& control, ImDrawList* drawList) {
  const ImVec2 origin = ImGui::GetWindowPos();
  const ImVec2 position = toPixels(control.rect.x, control.rect.y);
  const ImVec2 size = toPixels(control.rect.width, control.rect.height);
  const ImVec2 topLeft(origin.x + position.x, origin.y + position.y);
  const ImVec2 bottomRight(topLeft.x + size.x, topLeft.y + size.y);

  if (control.kind == DialogControlKind::Picture) {
    const int index = static_cast<int>(&control - mDialog.controls.data());
    const auto texture = mPictureTextures.find(index);
    if (texture != mPictureTextures.end()) {
      drawList->AddImage(reinterpret_cast<ImTextureID>(static_cast<std::intptr_t>(texture->second)),
                         topLeft, bottomRight);
    } else {
      drawList->AddRectFilled(topLeft, bottomRight, IM_COL32(40, 36, 60, 255));
    }
    return;
  }
  if (control.kind == DialogControlKind::GroupBox) {
    // The frame's top line runs through the middle of the caption, which sits
    // on a patch of background, as in a classic group box.
    const float lineY = topLeft.y + ImGui::GetFontSize() * 0.5f;
    drawList->AddRect(ImVec2(topLeft.x, lineY), bottomRight, IM_COL32(120, 96, 130, 255), 2.0f);
    const ImVec2 textSize = ImGui::CalcTextSize(control.text.c_str());
    const ImVec2 textAt(topLeft.x + 8.0f, topLeft.y);
    drawList->AddRectFilled(ImVec2(textAt.x - 3.0f, textAt.y),
                            ImVec2(textAt.x + textSize.x + 3.0f, textAt.y + textSize.y),
                            ImGui::GetColorU32(ImGuiCol_WindowBg));
    drawList->AddText(textAt, IM_COL32(240, 170, 200, 255), control.text.c_str());
    return;
  }

  const DialogControlState state = mHandler.controlState(control.id);
  ImGui::PushID(control.id);
  ImGui::SetCursorPos(position);
  ImGui::BeginDisabled(!state.enabled);
  switch (control.kind) {
    case DialogControlKind::ListBox:
      if (ImGui::BeginListBox("##list", size)) {
        for (int line = 0; line < static_cast<int>(state.lines.size()); ++line) {
          const bool selected = line == state.selected;
          ImGui::PushID(line);
          if (ImGui::Selectable(state.lines[static_cast<std::size_t>(line)].c_str(), selected)) {
            mHandler.select(control.id, line);
          }
          const bool follow = selected && mFollowSelection == control.id;
          if (follow) mFollowSelection = 0;
          if (selected && (mFrame == 0 || follow)) {
            // As a classic list box does: scroll by whole lines, just far
            // enough for the selected line to show.
            const float lineHeight = ImGui::GetTextLineHeightWithSpacing();
            const int visible = std::max(
                1, static_cast<int>((ImGui::GetWindowHeight() - ImGui::GetStyle().WindowPadding.y * 2.0f +
                                     ImGui::GetStyle().ItemSpacing.y) / lineHeight));
            ImGui::SetScrollY(static_cast<float>(std::max(0, line - visible + 1)) * lineHeight);
          }
          ImGui::PopID();
        }
        mListScroll[control.id] = ImGui::GetScrollY();
        ImGui::EndListBox();
      }
      break;
    case DialogControlKind::CheckBox: {
      bool checked = state.checked;
      if (ImGui::Checkbox(control.text.c_str(), &checked)) end(mHandler.command(control.id));
      break;
    }
    case DialogControlKind::PushButton:
    case DialogControlKind::DefaultPushButton:
      if (ImGui::Button(control.text.c_str(), size)) end(mHandler.command(control.id));
      if (control.kind == DialogControlKind::DefaultPushButton) {
        // The default button wears a brighter frame: Enter presses it.
        drawList->AddRect(ImVec2(topLeft.x - 1.0f, topLeft.y - 1.0f),
                          ImVec2(bottomRight.x + 1.0f, bottomRight.y + 1.0f),
                          IM_COL32(240, 150, 190, state.enabled ? 255 : 90), 3.0f, 0, 1.5f);
      }
      break;
    default:
      break;
  }
  ImGui::EndDisabled();
  ImGui::PopID();
  if (mShowFocus && control.id == mFocus) {
    // The keyboard's focus: a thin frame just outside the control.
    drawList->AddRect(ImVec2(topLeft.x - 3.0f, topLeft.y - 3.0f), ImVec2(bottomRight.x + 3.0f, bottomRight.y + 3.0f),
                      IM_COL32(200, 200, 230, 200), 2.0f, 0, 1.0f);
  }
}

}  // namespace

int runDialogWindow(const DialogTemplate& dialog, DialogHandler& handler,
                    const DialogWindowOptions& options) {
  DialogWindow window(dialog, handler, options);
  if (!window.open()) {
    std::fprintf(stderr, "dialog: cannot open the window: %s\n", SDL_GetError());
    return 0;
  }
  return window.run();
}

int nextFocusedControl(const DialogTemplate& dialog, const DialogHandler& handler, int current, bool backwards) {
  std::vector<int> order;
  for (const DialogControl& control : dialog.controls) {
    if (control.id == 0 || !takesClicks(control.kind)) continue;
    if (control.id == current || handler.controlState(control.id).enabled) order.push_back(control.id);
  }
  const int count = static_cast<int>(order.size());
  int at = -1;
  for (int i = 0; i < count; ++i) {
    if (order[static_cast<std::size_t>(i)] == current) at = i;
  }
  for (int step = 1; step <= count; ++step) {
    const int from = at < 0 ? (backwards ? count : -1) : at;
    const int index = ((from + (backwards ? -step : step)) % count + count) % count;
    const int id = order[static_cast<std::size_t>(index)];
    if (handler.controlState(id).enabled) return id;
  }
  return 0;
}

int dialogControlAt(const DialogTemplate& dialog, int pixelX, int pixelY) {
  for (const DialogControl& control : dialog.controls) {
    if (control.id == 0 || !takesClicks(control.kind)) continue;
    const int left = control.rect.x * kDialogPixelsPerUnit;
    const int top = control.rect.y * kDialogPixelsPerUnit;
    const int right = left + control.rect.width * kDialogPixelsPerUnit;
    const int bottom = top + control.rect.height * kDialogPixelsPerUnit;
    if (pixelX >= left && pixelX < right && pixelY >= top && pixelY < bottom) return control.id;
  }
  return 0;
}

bool openUrlWithDesktop(const std::string& url) { return SDL_OpenURL(url.c_str()) == 0; }

}  // namespace platform
