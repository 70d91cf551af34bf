// The setup dialog's window under a display: it opens, synthetic keys and clicks
// reach the controls, Escape and the window manager's close do not end it, and
// its picture can be taken.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/setup_dialog.h"
#include "platform/dialog_image.h"

namespace {

using Step = platform::DialogScriptStep;
using Kind = platform::DialogScriptStep::Kind;
namespace id = setup_dialog_id;

// Enough frames for any script here; a dialog still open after them fails the
// test instead of hanging it.
constexpr int kFrameLimit = 240;

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

TEST(SetupDialogWindow, EnterRunsWithTheDesktopModeAndTheDefaults) {
  // The display's own modes: Xvfb offers one, 1280 x 720 at 24 bits in 4 bytes.
  SetupDialogHooks hooks;
  hooks.script = {Step{Kind::Enter}};
  hooks.frameLimit = kFrameLimit;
  SetupSettings chosen;
  chosen.bitsPerPixel = 0;
  ASSERT_EQ(runSetupDialog(SetupSettings{}, chosen, hooks), 1);
  EXPECT_EQ(chosen.width, 1280);
  EXPECT_EQ(chosen.height, 720);
  EXPECT_EQ(chosen.aspectX, 16);
  EXPECT_EQ(chosen.aspectY, 9);
  EXPECT_EQ(chosen.fsaaSamples, 0);
  EXPECT_EQ(chosen.fullscreen, 1);
  EXPECT_EQ(chosen.vsync, 1);
  EXPECT_EQ(chosen.alwaysOnTop, 0);
  EXPECT_EQ(chosen.bigScreen, 0);
  EXPECT_EQ(chosen.lowQuality, 0);
  EXPECT_EQ(chosen.bitsPerPixel, 0);
}

TEST(SetupDialogWindow, EscapeAndTheWindowManagersCloseDoNotEndIt) {
  SetupSettings chosen;
  EXPECT_EQ(runSetupDialog(SetupSettings{}, chosen,
                           typicalHooks({Step{Kind::Escape}, Step{Kind::Close}, Step{Kind::Escape}})),
            0);  // still open when the frame limit ran out
  EXPECT_EQ(runSetupDialog(SetupSettings{}, chosen,
                           typicalHooks({Step{Kind::Escape}, Step{Kind::Close}, Step{Kind::Enter}})),
            1);
  EXPECT_EQ(chosen.width, 1680);
  EXPECT_EQ(chosen.aspectX, 16);
  EXPECT_EQ(chosen.aspectY, 10);
}

TEST(SetupDialogWindow, ClicksReachListsCheckBoxesAndRun) {
  SetupSettings chosen;
  const int result = runSetupDialog(
      SetupSettings{}, chosen,
      typicalHooks({Step{Kind::Click, id::kSampleList, 3}, Step{Kind::Click, id::kAspectList, 3},
                    Step{Kind::Click, id::kFullscreen}, Step{Kind::Click, id::kAlwaysOnTop},
                    Step{Kind::Click, id::kBigScreen}, Step{Kind::Click, id::kRun}}));
  ASSERT_EQ(result, 1);
  EXPECT_EQ(chosen.width, 1680);
  EXPECT_EQ(chosen.height, 1050);
  EXPECT_EQ(chosen.aspectX, 5);
  EXPECT_EQ(chosen.aspectY, 4);
  EXPECT_EQ(chosen.fsaaSamples, 8);
  EXPECT_EQ(chosen.fullscreen, 0);
  EXPECT_EQ(chosen.alwaysOnTop, 1);
  EXPECT_EQ(chosen.bigScreen, 1);
}

TEST(SetupDialogWindow, LowQualityLocksTheSampleList) {
  SetupSettings chosen;
  const int result = runSetupDialog(
      SetupSettings{}, chosen,
      typicalHooks({Step{Kind::Click, id::kLowQuality}, Step{Kind::Click, id::kSampleList, 2},
                    Step{Kind::Enter}}));
  ASSERT_EQ(result, 1);
  EXPECT_EQ(chosen.lowQuality, 1);
  EXPECT_EQ(chosen.fsaaSamples, 0);
}

TEST(SetupDialogWindow, CloseButtonReturnsTwoAndWritesNothing) {
  SetupSettings chosen;
  chosen.width = 7;
  EXPECT_EQ(runSetupDialog(SetupSettings{}, chosen, typicalHooks({Step{Kind::Click, id::kClose}})),
            2);
  EXPECT_EQ(chosen.width, 7);
}

TEST(SetupDialogWindow, WithoutModesNeitherEnterNorRunEndsIt) {
  SetupSettings chosen;
  SetupDialogHooks hooks = typicalHooks({Step{Kind::Enter}, Step{Kind::Click, id::kRun}});
  hooks.displayModes = std::vector<ReportedDisplayMode>{{800, 600, 16, 2}};
  EXPECT_EQ(runSetupDialog(SetupSettings{}, chosen, hooks), 0);
  hooks.script.push_back(Step{Kind::Click, id::kClose});
  EXPECT_EQ(runSetupDialog(SetupSettings{}, chosen, hooks), 2);
}

TEST(SetupDialogWindow, WritesAPictureWithTheArtworkOnTheLeft) {
  const std::string path = testing::TempDir() + "setup-dialog.png";
  std::filesystem::remove(path);
  SetupDialogHooks hooks = typicalHooks({Step{Kind::Enter}});
  hooks.screenshotPath = path;
  SetupSettings chosen;
  ASSERT_EQ(runSetupDialog(SetupSettings{}, chosen, hooks), 1);
  std::printf("dialog picture: %s\n", path.c_str());

  platform::DialogImage shot;
  ASSERT_TRUE(platform::loadDialogImage(path, shot));
  const int unit = platform::kDialogPixelsPerUnit;
  EXPECT_EQ(shot.width, setupDialogTemplate().width * unit);
  EXPECT_EQ(shot.height, setupDialogTemplate().height * unit);

  // The artwork is drawn one texel to one pixel at (3, 3) dialog units.
  platform::DialogImage art;
  ASSERT_TRUE(platform::loadDialogImage(kSetupDialogArtFile, art));
  ASSERT_EQ(art.width, 61 * unit);
  ASSERT_EQ(art.height, 164 * unit);
  int worst = 0;
  for (int y = 0; y < art.height; y += 7) {
    for (int x = 0; x < art.width; x += 5) {
      for (int channel = 0; channel < 3; ++channel) {
        const int expected = art.rgba[static_cast<std::size_t>((y * art.width + x) * 4 + channel)];
        const int actual = shot.rgba[static_cast<std::size_t>(
            ((y + 3 * unit) * shot.width + x + 3 * unit) * 4 + channel)];
        worst = std::max(worst, std::abs(expected - actual));
      }
    }
  }
  EXPECT_LE(worst, 3);
}

}  // namespace

TEST(SetupDialogWindow, TheKeyboardAloneCanChooseEverything) {
  // Focus starts on the mode list; Tab walks the lists, the check boxes and the
  // buttons in order; arrows move in a list; Space toggles; Enter runs.
  SetupSettings chosen;
  ASSERT_EQ(runSetupDialog(SetupSettings{}, chosen,
                           typicalHooks({Step{Kind::Down},                                   // 1680 x 1050 -> 1920 x 1080
                                         Step{Kind::Tab}, Step{Kind::Up}, Step{Kind::Up},    // aspect 16:10 -> 4:3
                                         Step{Kind::Up}, Step{Kind::Up},
                                         Step{Kind::Tab}, Step{Kind::Down}, Step{Kind::Down},  // anti-aliasing x 4
                                         Step{Kind::Tab}, Step{Kind::Space},                 // full screen off
                                         Step{Kind::Tab}, Step{Kind::Space},                 // vsync off
                                         Step{Kind::Tab}, Step{Kind::Tab}, Step{Kind::Space},  // always on top on
                                         Step{Kind::ShiftTab}, Step{Kind::ShiftTab}, Step{Kind::Space},  // vsync on
                                         Step{Kind::Enter}})),
            1);
  EXPECT_EQ(chosen.width, 1920);
  EXPECT_EQ(chosen.height, 1080);
  EXPECT_EQ(chosen.aspectX, 4);
  EXPECT_EQ(chosen.aspectY, 3);
  EXPECT_EQ(chosen.fsaaSamples, 4);
  EXPECT_EQ(chosen.fullscreen, 0);
  EXPECT_EQ(chosen.vsync, 1);
  EXPECT_EQ(chosen.alwaysOnTop, 1);
}

TEST(SetupDialogWindow, SpacePressesTheFocusedButtonAndTabSkipsDisabledControls) {
  // Full screen is checked, so Always On Top is disabled: Tab from Big Screen
  // goes straight to Low Quality. Three more Tabs reach Close.
  SetupSettings chosen;
  EXPECT_EQ(runSetupDialog(SetupSettings{}, chosen,
                           typicalHooks({Step{Kind::Tab}, Step{Kind::Tab}, Step{Kind::Tab},  // full screen
                                         Step{Kind::Tab}, Step{Kind::Tab},                   // big screen
                                         Step{Kind::Tab}, Step{Kind::Space},                 // low quality on
                                         Step{Kind::Tab}, Step{Kind::Tab}, Step{Kind::Space}})),  // Close
            2);
}
