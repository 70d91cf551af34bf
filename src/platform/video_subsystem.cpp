// Starting SDL's video subsystem, asking a busy display server again.
#include "platform/video_subsystem.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

bool named(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

}  // namespace

bool displayNamed() { return named("DISPLAY") || named("WAYLAND_DISPLAY") || named("SDL_VIDEODRIVER"); }

bool startVideoSubsystem(u32 flags) {
  const bool displayNamed =
      (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) && !std::getenv("SDL_VIDEODRIVER");
  constexpr int kAttempts = 8;
  for (int attempt = 1;; ++attempt) {
    if (SDL_InitSubSystem(flags) != 0) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool standIn = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (!displayNamed || !standIn || attempt == kAttempts) return true;
    SDL_QuitSubSystem(flags);
    SDL_Delay(10u << attempt);  // 20 ms up to 1.3 s, about 2.5 s in all
  }
}

}  // namespace platform
