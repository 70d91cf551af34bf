// Aspect ratio decision for the letterbox.
#include "app/display_aspect.h"

AspectRatio listedAspectOf(int width, int height, AspectRatio fallback) {
  if (height <= 0) {
    return fallback;
  }
  const float ratio = static_cast<float>(width) / static_cast<float>(height);
  if (ratio == 4.0f / 3.0f) return {4, 3};
  if (ratio == 1.25f) return {5, 4};
  if (ratio == 16.0f / 9.0f) return {16, 9};
  if (ratio == 1.6f) return {16, 10};
  return fallback;
}

AspectRatio decideDisplayAspect(const SetupSettings& settings) {
  const AspectRatio chosen{settings.aspectX, settings.aspectY};
  if (settings.fullscreen) {
    return chosen;
  }
  return listedAspectOf(settings.width, settings.height, chosen);
}
