// Display-mode queries through SDL. Each call brings the video subsystem up and
// down again (SDL counts the references), so it works before or after any window.
#include "platform/display_modes.h"

#include <SDL.h>

#include "platform/video_subsystem.h"

namespace platform {
namespace {

class VideoSubsystem {
 public:
  VideoSubsystem() : mReady(startVideoSubsystem(SDL_INIT_VIDEO)) {}
  ~VideoSubsystem() {
    if (mReady) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  VideoSubsystem(const VideoSubsystem&) = delete;
  VideoSubsystem& operator=(const VideoSubsystem&) = delete;
  bool ready() const { return mReady; }

 private:
  bool mReady;
};

}  // namespace

std::vector<DisplayModeInfo> enumerateDisplayModes() {
  std::vector<DisplayModeInfo> modes;
  VideoSubsystem video;
  if (!video.ready()) return modes;
  const int count = SDL_GetNumDisplayModes(0);
  for (int index = 0; index < count; ++index) {
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayMode(0, index, &mode) != 0) break;
    modes.push_back({mode.w, mode.h, static_cast<int>(SDL_BITSPERPIXEL(mode.format)),
                     static_cast<int>(SDL_BYTESPERPIXEL(mode.format)), mode.refresh_rate});
  }
  return modes;
}

bool desktopResolution(int& width, int& height) {
  width = 0;
  height = 0;
  VideoSubsystem video;
  if (!video.ready()) return false;
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  width = mode.w;
  height = mode.h;
  return true;
}

int exactModeIndex(const std::vector<DisplayModeInfo>& modes, int width, int height, int desktopBitsPerPixel) {
  int firstOfSize = -1;
  for (std::size_t i = 0; i < modes.size(); ++i) {
    if (modes[i].width != width || modes[i].height != height) continue;
    if (modes[i].bitsPerPixel == desktopBitsPerPixel) return static_cast<int>(i);
    if (firstOfSize < 0) firstOfSize = static_cast<int>(i);
  }
  return firstOfSize;
}

}  // namespace platform
