// Aspect ratio decision for the letterbox, over the dialog's aspect table.
#include "app/display_aspect.h"

#include "app/setup_dialog_logic.h"

DisplayAspect decideDisplayAspect(const SetupSettings& settings) {
  const DisplayAspect chosen{settings.aspectX, settings.aspectY};
  if (settings.fullscreen) {
    return chosen;
  }
  const int row = listedAspectRow(settings.width, settings.height);
  if (row < 0) {
    return chosen;
  }
  const AspectRatio& listed = aspectTable()[static_cast<std::size_t>(row)];
  return {static_cast<int>(listed.x), static_cast<int>(listed.y)};
}
