// The setup dialog's decisions, apart from any window: the mode, aspect and
// anti-aliasing tables, what is preselected, how the options constrain each other
// and what Run writes. Does not: enumerate displays, draw, or read input.
#pragma once

#include <string>
#include <vector>

#include "app/setup_settings.h"
#include "framework/types.h"

// Control identifiers of the dialog template; commands and selections name them.
namespace setup_dialog_id {
inline constexpr int kCancel = 2;  // Escape and the window manager's close
inline constexpr int kRun = 1001;
inline constexpr int kClose = 1002;
inline constexpr int kModeList = 1004;
inline constexpr int kAspectList = 1005;
inline constexpr int kSampleList = 1006;
inline constexpr int kFullscreen = 1007;
inline constexpr int kVsync = 1008;
inline constexpr int kBigScreen = 1009;
inline constexpr int kAlwaysOnTop = 1010;
inline constexpr int kLowQuality = 1011;
inline constexpr int kWebButton = 1014;
}  // namespace setup_dialog_id

// What the dialog returns: Run, Close, or nothing decided yet.
inline constexpr int kSetupDialogRun = 1;
inline constexpr int kSetupDialogClose = 2;
inline constexpr int kSetupDialogOpen = 0;

inline constexpr std::size_t kMaxDisplayModes = 128;

// One display mode as the display reports it; refresh rate is ignored on purpose.
struct ReportedDisplayMode {
  s32 width = 0;
  s32 height = 0;
  s32 bitsPerPixel = 0;
  s32 bytesPerPixel = 0;
};

struct DisplayModeSize {
  s32 width = 0;
  s32 height = 0;
  bool operator==(const DisplayModeSize&) const = default;
};

struct AspectRatio {
  f32 x = 0.0f;
  f32 y = 0.0f;
};

// The colour depth a mode counts as: a 32-bit desktop is reported as 24 bits
// of colour stored in 4 bytes.
s32 colourDepth(s32 bitsPerPixel, s32 bytesPerPixel);

// Modes of the wanted depth, one per size, the first kMaxDisplayModes in
// reported order, then sorted by width and height.
std::vector<DisplayModeSize> buildModeTable(const std::vector<ReportedDisplayMode>& reported,
                                            s32 wantedBitsPerPixel);

const std::vector<AspectRatio>& aspectTable();   // 4:3, 16:9, 16:10, 5:4
// The anti-aliasing sample counts the show offers: the dialog's list and the
// only values --fsaa takes, so a count is checked once, where it enters.
const std::vector<s32>& sampleTable();           // 0, 2, 4, 8
bool isOfferedSampleCount(long samples);

// The aspect row whose ratio equals width / height in single precision, or -1.
// The comparison is exact on purpose: only sizes of exactly a listed shape match.
int listedAspectRow(s32 width, s32 height);

std::string modeLabel(const DisplayModeSize& mode);     // "800 x 600"
std::string aspectLabel(const AspectRatio& aspect);     // "16 : 9"
std::string sampleLabel(s32 samples);                   // "none", "x 4"

// The dialog's state between opening and Run or Close.
class CSetupDialog {
 public:
  CSetupDialog(const SetupSettings& initial, std::vector<DisplayModeSize> modes, s32 desktopWidth,
               s32 desktopHeight);

  const std::vector<DisplayModeSize>& modes() const { return mModes; }
  int selectedMode() const { return mSelectedMode; }  // -1 only when there are no modes
  int selectedAspect() const { return mSelectedAspect; }
  int selectedSamples() const { return mSelectedSamples; }

  bool fullscreen() const { return mFullscreen; }
  bool vsync() const { return mVsync; }
  bool bigScreen() const { return mBigScreen; }
  bool alwaysOnTop() const { return mAlwaysOnTop; }
  bool lowQuality() const { return mLowQuality; }
  bool alwaysOnTopEnabled() const { return mAlwaysOnTopEnabled; }
  bool sampleListEnabled() const { return !mLowQuality; }
  bool runEnabled() const { return mSelectedMode >= 0; }

  // A line picked in one of the three lists; out-of-range lines are ignored.
  void select(int listId, int line);

  // A button press or a check-box click. Returns kSetupDialogRun or
  // kSetupDialogClose when the dialog ends, else kSetupDialogOpen; the chosen
  // record is written only on Run. The web button changes no state: opening a
  // browser stays with the caller.
  int command(int controlId, SetupSettings& chosen);

 private:
  void toggleFullscreen();
  void writeChosen(SetupSettings& chosen) const;

  std::vector<DisplayModeSize> mModes;
  int mSelectedMode = -1;
  int mSelectedAspect = 0;
  int mSelectedSamples = 0;
  bool mFullscreen = false;
  bool mVsync = false;
  bool mBigScreen = false;
  bool mAlwaysOnTop = false;
  bool mLowQuality = false;
  bool mAlwaysOnTopEnabled = true;
  bool mRememberedAlwaysOnTop = false;  // the check state before the last Full screen click
};
