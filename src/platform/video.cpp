// SDL2 behind the video interface.
#include "platform/video.h"

#include <SDL.h>

#include "platform/quit_signals.h"
#include "platform/video_subsystem.h"

namespace platform {
namespace {

Key translateKey(SDL_Keycode code) {
  switch (code) {
    case SDLK_ESCAPE: return Key::Escape;
    case SDLK_SPACE: return Key::Space;
    case SDLK_LEFT: return Key::Left;
    case SDLK_RIGHT: return Key::Right;
    case SDLK_UP: return Key::Up;
    case SDLK_DOWN: return Key::Down;
    case SDLK_PAGEUP: return Key::PageUp;
    case SDLK_PAGEDOWN: return Key::PageDown;
    case SDLK_HOME: return Key::Home;
    case SDLK_TAB: return Key::Tab;
    default: return Key::Other;
  }
}

SDL_Keycode keycodeOf(Key key) {
  switch (key) {
    case Key::Escape: return SDLK_ESCAPE;
    case Key::Space: return SDLK_SPACE;
    case Key::Left: return SDLK_LEFT;
    case Key::Right: return SDLK_RIGHT;
    case Key::Up: return SDLK_UP;
    case Key::Down: return SDLK_DOWN;
    case Key::PageUp: return SDLK_PAGEUP;
    case Key::PageDown: return SDLK_PAGEDOWN;
    case Key::Home: return SDLK_HOME;
    case Key::Tab: return SDLK_TAB;
    default: return SDLK_UNKNOWN;
  }
}

bool gVideoStarted = false;

}  // namespace

bool initVideo() {
  if (gVideoStarted) {
    return true;
  }
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (!startVideoSubsystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS)) {
    return false;
  }
  gVideoStarted = true;
  return true;
}

void quitVideo() {
  if (gVideoStarted) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
    gVideoStarted = false;
  }
}

std::string error() { return SDL_GetError(); }

DesktopMode desktopMode() {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
    return {};
  }
  return {mode.w, mode.h};
}

void showCursor(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void showMessageBox(const char* caption, const char* text) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

u32 ticks() { return SDL_GetTicks(); }

void sleepMilliseconds(u32 milliseconds) { SDL_Delay(milliseconds); }

bool pollEvent(Event& event) {
  serviceExitRequest();
  if (takeQuitSignal()) {
    event = Event{};
    event.type = EventType::Quit;
    return true;
  }
  SDL_Event sdlEvent;
  if (!SDL_PollEvent(&sdlEvent)) {
    return false;
  }
  event = Event{};
  switch (sdlEvent.type) {
    case SDL_QUIT:
      event.type = EventType::Quit;
      break;
    case SDL_WINDOWEVENT:
      event.type = sdlEvent.window.event == SDL_WINDOWEVENT_CLOSE ? EventType::WindowClose : EventType::Other;
      break;
    case SDL_KEYDOWN:
      event.type = EventType::KeyDown;
      event.key = translateKey(sdlEvent.key.keysym.sym);
      event.repeat = sdlEvent.key.repeat != 0;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (sdlEvent.button.button != SDL_BUTTON_LEFT) {
        event.type = EventType::Other;
        break;
      }
      event.type = sdlEvent.type == SDL_MOUSEBUTTONDOWN ? EventType::PointerDown : EventType::PointerUp;
      event.x = sdlEvent.button.x;
      event.y = sdlEvent.button.y;
      break;
    case SDL_MOUSEMOTION:
      event.type = (sdlEvent.motion.state & SDL_BUTTON_LMASK) ? EventType::PointerDrag : EventType::Other;
      event.x = sdlEvent.motion.x;
      event.y = sdlEvent.motion.y;
      break;
    default:
      event.type = EventType::Other;
      break;
  }
  return true;
}

void pushKeyDown(Key key, bool repeat) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.state = SDL_PRESSED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.sym = keycodeOf(key);
  SDL_PushEvent(&event);
}

void pushWindowClose() {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&event);
}

void pushQuit() {
  SDL_Event event{};
  event.type = SDL_QUIT;
  SDL_PushEvent(&event);
}

}  // namespace platform
