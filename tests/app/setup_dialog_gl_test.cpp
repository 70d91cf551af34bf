// The setup dialog's window under a display: it opens on the display's own mode,
// synthetic keys and clicks reach the controls, Escape and the window manager's
// close do not end it, and its picture can be taken.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "app/setup_dialog.h"
#include "platform/dialog_image.h"
#include "platform/video.h"

namespace {

using Step = platform::DialogScriptStep;
using Kind = platform::DialogScriptStep::Kind;
namespace id = setup_dialog_id;

// Enough frames for any script here; a dialog still open after them fails the
// test instead of hanging it.
constexpr int kFrameLimit = 240;

// A made-up display with a 1680 x 1050 desktop, so that the choices below do not
// depend on the machine's monitor.
SetupDialogHooks typicalHooks(std::vector<Step> script) {
  SetupDialogHooks hooks;
  hooks.script = std::move(script);
  hooks.frameLimit = kFrameLimit;
  hooks.displayModes = std::vector<ReportedDisplayMode>{
      {1920, 1080, 24, 4}, {1680, 1050, 24, 4}, {1280, 1024, 24, 4}, {1280, 720, 24, 4},
      {1024, 768, 24, 4},  {800, 600, 24, 4},   {640, 480, 24, 4},   {1920, 1080, 16, 2}};
  hooks.desktop = DisplayModeSize{1680, 1050};
  return hooks;
}

SetupSettings chosenBy(int expectedResult, std::vector<Step> script) {
  SetupSettings chosen;
  chosen.width = 7;
  EXPECT_EQ(runSetupDialog(SetupSettings{}, chosen, typicalHooks(std::move(script))), expectedResult);
  return chosen;
}

}  // namespace

TEST(SetupDialogWindow, EnterRunsWithTheDesktopModeAndTheDefaults) {
  // The display's own modes and desktop, whatever their size.
  ASSERT_TRUE(platform::initVideo()) << platform::error();
  const platform::DesktopMode desktop = platform::desktopMode();
  ASSERT_GT(desktop.width, 0);
  SetupDialogHooks hooks;
  hooks.script = {Step{Kind::Enter}};
  hooks.frameLimit = kFrameLimit;
  SetupSettings chosen;
  chosen.bitsPerPixel = 0;
  ASSERT_EQ(runSetupDialog(SetupSettings{}, chosen, hooks), 1);
  EXPECT_EQ(chosen.width, desktop.width);
  EXPECT_EQ(chosen.height, desktop.height);
  // A desktop of a listed shape picks that aspect; any other keeps the default 16 : 9.
  const int row = listedAspectRow(desktop.width, desktop.height);
  const AspectRatio aspect = row >= 0 ? aspectTable()[static_cast<std::size_t>(row)] : AspectRatio{16.0f, 9.0f};
  EXPECT_EQ(chosen.aspectX, static_cast<s32>(aspect.x));
  EXPECT_EQ(chosen.aspectY, static_cast<s32>(aspect.y));
  const SetupSettings defaults;
  EXPECT_EQ(chosen.fsaaSamples, defaults.fsaaSamples);
  EXPECT_EQ(chosen.fullscreen, 1);
  EXPECT_EQ(chosen.vsync, 1);
  EXPECT_EQ(chosen.alwaysOnTop + chosen.bigScreen + chosen.lowQuality, 0);
  EXPECT_EQ(chosen.bitsPerPixel, 0) << "Run leaves the colour depth alone";
}

TEST(SetupDialogWindow, ScriptsOfKeysAndClicksChooseWhatTheyShow) {
  // Escape and the window manager's close do not end the dialog: the frame limit does.
  EXPECT_EQ(chosenBy(0, {Step{Kind::Escape}, Step{Kind::Close}, Step{Kind::Escape}}).width, 7);
  SetupSettings chosen = chosenBy(1, {Step{Kind::Escape}, Step{Kind::Close}, Step{Kind::Enter}});
  EXPECT_EQ(std::tie(chosen.width, chosen.aspectX, chosen.aspectY), std::make_tuple(1680, 16, 10));

  chosen = chosenBy(1, {Step{Kind::Click, id::kSampleList, 3}, Step{Kind::Click, id::kAspectList, 3},
                        Step{Kind::Click, id::kFullscreen}, Step{Kind::Click, id::kAlwaysOnTop},
                        Step{Kind::Click, id::kBigScreen}, Step{Kind::Click, id::kRun}});
  EXPECT_EQ(std::tie(chosen.width, chosen.height, chosen.aspectX, chosen.aspectY, chosen.fsaaSamples),
            std::make_tuple(1680, 1050, 5, 4, 8));
  EXPECT_EQ(std::tie(chosen.fullscreen, chosen.alwaysOnTop, chosen.bigScreen), std::make_tuple(0, 1, 1));

  chosen = chosenBy(1, {Step{Kind::Click, id::kLowQuality}, Step{Kind::Click, id::kSampleList, 2}, Step{Kind::Enter}});
  EXPECT_EQ(std::tie(chosen.lowQuality, chosen.fsaaSamples), std::make_tuple(1, 0)) << "a locked list takes no picks";

  EXPECT_EQ(chosenBy(2, {Step{Kind::Click, id::kClose}}).width, 7) << "Close writes nothing";

  // Focus starts on the mode list; Tab walks the lists, the check boxes and the
  // buttons in order; arrows move in a list; Space toggles; Enter runs.
  chosen = chosenBy(1, {Step{Kind::Down},                                            // 1920 x 1080
                        Step{Kind::Tab}, Step{Kind::Up}, Step{Kind::Up}, Step{Kind::Up}, Step{Kind::Up},  // 4:3
                        Step{Kind::Tab}, Step{Kind::Down}, Step{Kind::Down},             // x 4
                        Step{Kind::Tab}, Step{Kind::Space},                               // full screen off
                        Step{Kind::Tab}, Step{Kind::Space},                               // vsync off
                        Step{Kind::Tab}, Step{Kind::Tab}, Step{Kind::Space},              // always on top on
                        Step{Kind::ShiftTab}, Step{Kind::ShiftTab}, Step{Kind::Space},    // vsync on
                        Step{Kind::Enter}});
  EXPECT_EQ(std::tie(chosen.width, chosen.height, chosen.aspectX, chosen.aspectY, chosen.fsaaSamples),
            std::make_tuple(1920, 1080, 4, 3, 4));
  EXPECT_EQ(std::tie(chosen.fullscreen, chosen.vsync, chosen.alwaysOnTop), std::make_tuple(0, 1, 1));

  // Full screen is checked, so Always On Top is disabled: Tab from Big Screen
  // goes straight to Low Quality; three more Tabs reach Close, which Space presses.
  chosenBy(2, {Step{Kind::Tab}, Step{Kind::Tab}, Step{Kind::Tab}, Step{Kind::Tab}, Step{Kind::Tab},
               Step{Kind::Tab}, Step{Kind::Space}, Step{Kind::Tab}, Step{Kind::Tab}, Step{Kind::Space}});
}

TEST(SetupDialogWindow, WritesAPictureWithTheArtworkOnTheLeft) {
  const std::string path = testing::TempDir() + "setup-dialog.png";
  std::filesystem::remove(path);
  SetupDialogHooks hooks = typicalHooks({Step{Kind::Enter}});
  hooks.screenshotPath = path;
  SetupSettings chosen;
  ASSERT_EQ(runSetupDialog(SetupSettings{}, chosen, hooks), 1);

  platform::DialogImage shot;
  ASSERT_TRUE(platform::loadDialogImage(path, shot));
  const int unit = platform::kDialogPixelsPerUnit;
  EXPECT_EQ(std::tie(shot.width, shot.height),
            std::make_tuple(setupDialogTemplate().width * unit, setupDialogTemplate().height * unit));
  // The artwork is drawn one texel to one pixel at (3, 3) dialog units.
  platform::DialogImage art;
  ASSERT_TRUE(platform::loadDialogImage(kSetupDialogArtFile, art));
  int worst = 0;
  for (int y = 0; y < art.height; y += 7) {
    for (int x = 0; x < art.width; x += 5) {
      for (int channel = 0; channel < 3; ++channel) {
        const int expected = art.rgba[static_cast<std::size_t>((y * art.width + x) * 4 + channel)];
        const int actual =
            shot.rgba[static_cast<std::size_t>(((y + 3 * unit) * shot.width + x + 3 * unit) * 4 + channel)];
        worst = std::max(worst, std::abs(expected - actual));
      }
    }
  }
  EXPECT_LE(worst, 3);
}
