// The setup dialog's decisions: tables, preselection, option interplay and the
// record Run writes. Pure code, so that every rule can be tested without a screen.
#include "app/setup_dialog_logic.h"

#include <algorithm>
#include <cstdio>

s32 colourDepth(s32 bitsPerPixel, s32 bytesPerPixel) {
  // Eight bits of each pixel are padding, but the desktop is still what other
  // systems call a 32-bit one, and only those modes are offered.
  if (bitsPerPixel == 24 && bytesPerPixel == 4) return 32;
  return bitsPerPixel;
}

std::vector<DisplayModeSize> buildModeTable(const std::vector<ReportedDisplayMode>& reported,
                                            s32 wantedBitsPerPixel) {
  std::vector<DisplayModeSize> table;
  for (const ReportedDisplayMode& mode : reported) {
    if (table.size() == kMaxDisplayModes) break;
    if (colourDepth(mode.bitsPerPixel, mode.bytesPerPixel) != wantedBitsPerPixel) continue;
    const DisplayModeSize size{mode.width, mode.height};
    if (std::find(table.begin(), table.end(), size) != table.end()) continue;
    table.push_back(size);
  }
  std::sort(table.begin(), table.end(), [](const DisplayModeSize& a, const DisplayModeSize& b) {
    return a.width != b.width ? a.width < b.width : a.height < b.height;
  });
  return table;
}

const std::vector<AspectRatio>& aspectTable() {
  static const std::vector<AspectRatio> table{{4, 3}, {16, 9}, {16, 10}, {5, 4}};
  return table;
}

const std::vector<s32>& sampleTable() {
  static const std::vector<s32> table{0, 2, 4, 8};
  return table;
}

bool isOfferedSampleCount(long samples) {
  const std::vector<s32>& table = sampleTable();
  return std::find(table.begin(), table.end(), samples) != table.end();
}

int listedAspectRow(s32 width, s32 height) {
  if (height == 0) return -1;
  // Single precision throughout: 1680 / 1050 must equal 1.6f, which it would
  // not if either side were a double.
  const f32 ratio = static_cast<f32>(width) / static_cast<f32>(height);
  struct Candidate {
    f32 ratio;
    int row;
  };
  static const Candidate candidates[] = {
      {4.0f / 3.0f, 0}, {1.25f, 3}, {16.0f / 9.0f, 1}, {1.6f, 2}};
  for (const Candidate& candidate : candidates) {
    if (ratio == candidate.ratio) return candidate.row;
  }
  return -1;
}

std::string modeLabel(const DisplayModeSize& mode) {
  char text[32];
  std::snprintf(text, sizeof text, "%d x %d", mode.width, mode.height);
  return text;
}

std::string aspectLabel(const AspectRatio& aspect) {
  char text[32];
  std::snprintf(text, sizeof text, "%d : %d", static_cast<int>(aspect.x), static_cast<int>(aspect.y));
  return text;
}

std::string sampleLabel(s32 samples) {
  if (samples == 0) return "none";
  char text[32];
  std::snprintf(text, sizeof text, "x %d", samples);
  return text;
}

namespace {

int findMode(const std::vector<DisplayModeSize>& modes, s32 width, s32 height) {
  const auto found = std::find(modes.begin(), modes.end(), DisplayModeSize{width, height});
  return found == modes.end() ? -1 : static_cast<int>(found - modes.begin());
}

}  // namespace

CSetupDialog::CSetupDialog(const SetupSettings& initial, std::vector<DisplayModeSize> modes,
                           s32 desktopWidth, s32 desktopHeight)
    : mModes(std::move(modes)) {
  // Each later rule overrides the earlier one only when it finds something, so
  // the desktop's own mode wins and the initial size matters only as a fallback
  // that the "largest mode" rule then replaces.
  if (!mModes.empty()) {
    mSelectedMode = 0;
    if (int row = findMode(mModes, initial.width, initial.height); row >= 0) mSelectedMode = row;
    const int desktopRow = findMode(mModes, desktopWidth, desktopHeight);
    mSelectedMode = desktopRow >= 0 ? desktopRow : static_cast<int>(mModes.size()) - 1;
  }

  const std::vector<AspectRatio>& aspects = aspectTable();
  for (std::size_t row = 0; row < aspects.size(); ++row) {
    if (aspects[row].x == static_cast<f32>(initial.aspectX) &&
        aspects[row].y == static_cast<f32>(initial.aspectY)) {
      mSelectedAspect = static_cast<int>(row);
    }
  }
  if (int row = listedAspectRow(desktopWidth, desktopHeight); row >= 0) mSelectedAspect = row;

  const std::vector<s32>& samples = sampleTable();
  for (std::size_t row = 0; row < samples.size(); ++row) {
    if (samples[row] == initial.fsaaSamples) mSelectedSamples = static_cast<int>(row);
  }

  mFullscreen = initial.fullscreen != 0;
  mVsync = initial.vsync != 0;
  mBigScreen = initial.bigScreen != 0;
  mAlwaysOnTop = initial.alwaysOnTop != 0;
  mLowQuality = initial.lowQuality != 0;
  mAlwaysOnTopEnabled = !mFullscreen;
}

void CSetupDialog::select(int listId, int line) {
  if (line < 0) return;
  switch (listId) {
    case setup_dialog_id::kModeList:
      if (line < static_cast<int>(mModes.size())) mSelectedMode = line;
      break;
    case setup_dialog_id::kAspectList:
      if (line < static_cast<int>(aspectTable().size())) mSelectedAspect = line;
      break;
    case setup_dialog_id::kSampleList:
      if (sampleListEnabled() && line < static_cast<int>(sampleTable().size())) {
        mSelectedSamples = line;
      }
      break;
    default:
      break;
  }
}

int CSetupDialog::command(int controlId, SetupSettings& chosen) {
  // Identifiers outside the dialog's own range, the cancel command of Escape
  // and of the window manager's close among them, are ignored: Close is the
  // only way out besides Run.
  if (controlId < setup_dialog_id::kRun || controlId > setup_dialog_id::kWebButton) {
    return kSetupDialogOpen;
  }
  switch (controlId) {
    case setup_dialog_id::kRun:
      if (!runEnabled()) return kSetupDialogOpen;
      writeChosen(chosen);
      return kSetupDialogRun;
    case setup_dialog_id::kClose:
      return kSetupDialogClose;
    case setup_dialog_id::kFullscreen:
      mFullscreen = !mFullscreen;
      toggleFullscreen();
      break;
    case setup_dialog_id::kVsync:
      mVsync = !mVsync;
      break;
    case setup_dialog_id::kBigScreen:
      mBigScreen = !mBigScreen;
      break;
    case setup_dialog_id::kAlwaysOnTop:
      if (mAlwaysOnTopEnabled) mAlwaysOnTop = !mAlwaysOnTop;
      break;
    case setup_dialog_id::kLowQuality:
      mLowQuality = !mLowQuality;
      break;
    default:
      break;
  }
  return kSetupDialogOpen;
}

void CSetupDialog::toggleFullscreen() {
  // Always On Top means nothing in full screen, so it is locked there; its
  // check state is kept and comes back when the window option returns.
  mRememberedAlwaysOnTop = mAlwaysOnTop;
  if (!mFullscreen) {
    mAlwaysOnTopEnabled = true;
    mAlwaysOnTop = mRememberedAlwaysOnTop;
  } else {
    mAlwaysOnTopEnabled = false;
  }
}

void CSetupDialog::writeChosen(SetupSettings& chosen) const {
  const DisplayModeSize& mode = mModes[static_cast<std::size_t>(mSelectedMode)];
  const AspectRatio& aspect = aspectTable()[static_cast<std::size_t>(mSelectedAspect)];
  chosen.width = mode.width;
  chosen.height = mode.height;
  chosen.aspectX = static_cast<s32>(aspect.x);
  chosen.aspectY = static_cast<s32>(aspect.y);
  chosen.fsaaSamples = sampleTable()[static_cast<std::size_t>(mSelectedSamples)];
  chosen.fullscreen = mFullscreen ? 1 : 0;
  chosen.vsync = mVsync ? 1 : 0;
  chosen.bigScreen = mBigScreen ? 1 : 0;
  chosen.alwaysOnTop = mAlwaysOnTop ? 1 : 0;
  chosen.lowQuality = mLowQuality ? 1 : 0;
  if (mLowQuality) chosen.fsaaSamples = 0;
}
