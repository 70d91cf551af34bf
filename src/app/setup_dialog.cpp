// Binds the setup dialog's logic to its window: the template with the dialog's
// captions, the display queries, the web button and the test hooks.
#include "app/setup_dialog.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "platform/display_modes.h"

namespace {

using platform::DialogControlKind;
using platform::DialogControlState;
namespace id = setup_dialog_id;

// The dialog's side of the window: it answers what each control shows and
// turns clicks into the logic's commands.
class SetupDialogHandler final : public platform::DialogHandler {
 public:
  SetupDialogHandler(CSetupDialog& dialog, SetupSettings& chosen)
      : mDialog(dialog), mChosen(chosen) {}

  DialogControlState controlState(int controlId) const override {
    DialogControlState state;
    switch (controlId) {
      case id::kModeList:
        for (const DisplayModeSize& mode : mDialog.modes()) state.lines.push_back(modeLabel(mode));
        state.selected = mDialog.selectedMode();
        break;
      case id::kAspectList:
        for (const AspectRatio& aspect : aspectTable()) state.lines.push_back(aspectLabel(aspect));
        state.selected = mDialog.selectedAspect();
        break;
      case id::kSampleList:
        for (s32 samples : sampleTable()) state.lines.push_back(sampleLabel(samples));
        state.selected = mDialog.selectedSamples();
        state.enabled = mDialog.sampleListEnabled();
        break;
      case id::kFullscreen:
        state.checked = mDialog.fullscreen();
        break;
      case id::kVsync:
        state.checked = mDialog.vsync();
        break;
      case id::kBigScreen:
        state.checked = mDialog.bigScreen();
        break;
      case id::kAlwaysOnTop:
        state.checked = mDialog.alwaysOnTop();
        state.enabled = mDialog.alwaysOnTopEnabled();
        break;
      case id::kLowQuality:
        state.checked = mDialog.lowQuality();
        break;
      case id::kRun:
        state.enabled = mDialog.runEnabled();
        break;
      default:
        break;
    }
    return state;
  }

  int command(int controlId) override {
    if (controlId == id::kWebButton) {
      // A missing opener is no reason to stop; the dialog simply stays.
      const std::string url = setupDialogDocumentationUrl();
      if (!platform::openUrlWithDesktop(url)) {
        std::fprintf(stderr, "setup dialog: could not open %s\n", url.c_str());
      }
    }
    return mDialog.command(controlId, mChosen);
  }

  void select(int listId, int line) override { mDialog.select(listId, line); }

 private:
  CSetupDialog& mDialog;
  SetupSettings& mChosen;  // borrowed; written on Run only
};

std::vector<ReportedDisplayMode> reportedModes() {
  std::vector<ReportedDisplayMode> modes;
  for (const platform::DisplayModeInfo& mode : platform::enumerateDisplayModes()) {
    modes.push_back({mode.width, mode.height, mode.bitsPerPixel, mode.bytesPerPixel});
  }
  return modes;
}

bool isUnreservedInUrl(unsigned char c) {
  return std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
}

}  // namespace

const platform::DialogTemplate& setupDialogTemplate() {
  static const platform::DialogTemplate dialog{
      172,
      189,
      {
          {0, DialogControlKind::Picture, kSetupDialogArtFile, {3, 3, 61, 164}},
          {0, DialogControlKind::GroupBox, "R e s o l u t i o n", {67, 3, 100, 51}},
          {id::kModeList, DialogControlKind::ListBox, "", {71, 13, 91, 37}},
          {0, DialogControlKind::GroupBox, "A s p e c t", {67, 54, 45, 54}},
          {id::kAspectList, DialogControlKind::ListBox, "", {71, 64, 37, 40}},
          {0, DialogControlKind::GroupBox, "F S A A", {117, 54, 50, 54}},
          {id::kSampleList, DialogControlKind::ListBox, "", {121, 64, 41, 40}},
          {0, DialogControlKind::GroupBox, "O p t i o n s", {67, 108, 100, 60}},
          {id::kFullscreen, DialogControlKind::CheckBox, "  F u l l s c r e e n", {71, 118, 91, 8}},
          {id::kVsync, DialogControlKind::CheckBox, "  V  S y n c", {71, 128, 91, 8}},
          {id::kBigScreen, DialogControlKind::CheckBox, "  B i g S c r e e n", {71, 138, 91, 8}},
          {id::kAlwaysOnTop, DialogControlKind::CheckBox, "  A l w a y s  O n  T o p",
           {71, 148, 91, 8}},
          {id::kLowQuality, DialogControlKind::CheckBox, "  L o w  Q u a l i t y",
           {71, 159, 91, 8}},
          {id::kRun, DialogControlKind::DefaultPushButton, "Run", {67, 170, 51, 17}},
          {id::kClose, DialogControlKind::PushButton, "Close", {121, 170, 46, 17}},
          {id::kWebButton, DialogControlKind::PushButton, "Documentation", {3, 170, 61, 17}},
      }};
  return dialog;
}

std::string setupDialogDocumentationUrl() {
  std::error_code error;
  std::filesystem::path directory = std::filesystem::current_path(error);
  if (error) directory = ".";
  const std::string path = (directory / "README.md").generic_string();
  std::string url = "file://";
  for (unsigned char c : path) {
    if (isUnreservedInUrl(c)) {
      url += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      url += escaped;
    }
  }
  return url;
}

int runSetupDialog(const SetupSettings& initial, SetupSettings& chosen) {
  return runSetupDialog(initial, chosen, SetupDialogHooks{});
}

int runSetupDialog(const SetupSettings& initial, SetupSettings& chosen,
                   const SetupDialogHooks& hooks) {
  const std::vector<ReportedDisplayMode> reported =
      hooks.displayModes ? *hooks.displayModes : reportedModes();
  DisplayModeSize desktop;
  if (hooks.desktop) {
    desktop = *hooks.desktop;
  } else {
    platform::desktopResolution(desktop.width, desktop.height);
  }
  CSetupDialog dialog(initial, buildModeTable(reported, initial.bitsPerPixel), desktop.width,
                      desktop.height);
  SetupDialogHandler handler(dialog, chosen);

  platform::DialogWindowOptions options;
  options.title = "Orvane";
  options.script = hooks.script;
  options.screenshotPath = hooks.screenshotPath;
  options.frameLimit = hooks.frameLimit;
  return platform::runDialogWindow(setupDialogTemplate(), handler, options);
}
