// The setup dialog as the entry sees it: one modal call that returns Run or
// Close and fills the chosen record, plus the hooks tests use to drive it.
// Does not: decide anything itself (setup_dialog_logic.h) or draw (platform).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/setup_dialog_logic.h"
#include "app/setup_settings.h"
#include "platform/dialog_window.h"

// The picture beside the controls, relative to the current directory.
inline constexpr const char* kSetupDialogArtFile = "data/texture/dialog_art.bmp";

struct SetupDialogHooks {
  std::vector<platform::DialogScriptStep> script;  // synthetic input, played in order
  std::string screenshotPath;                      // PNG of the dialog once it is laid out
  int frameLimit = 0;                              // positive: give up (return 0) after that many frames
  // Stand-ins for what the display reports, so that a picture or a test does
  // not depend on the machine's monitor.
  std::optional<std::vector<ReportedDisplayMode>> displayModes;
  std::optional<DisplayModeSize> desktop;
};

// Runs the modal dialog. Returns 1 (Run, chosen written except bitsPerPixel),
// 2 (Close, chosen untouched), or 0 when no window could be opened or the
// hooks' frame limit ran out.
int runSetupDialog(const SetupSettings& initial, SetupSettings& chosen);
int runSetupDialog(const SetupSettings& initial, SetupSettings& chosen,
                   const SetupDialogHooks& hooks);

// The dialog template: artwork, three lists, five options and three buttons, in
// dialog units.
const platform::DialogTemplate& setupDialogTemplate();

// The documentation page the web button opens: the README below the current
// directory, as a file URL.
std::string setupDialogDocumentationUrl();
