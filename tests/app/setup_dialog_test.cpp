// The setup dialog's rules without a window: mode table, preselection, aspect
// matching, option interplay, what Run and Close leave in the chosen record.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/setup_dialog.h"
#include "app/setup_dialog_logic.h"

namespace {

namespace id = setup_dialog_id;

ReportedDisplayMode mode32(s32 width, s32 height) { return {width, height, 24, 4}; }

std::vector<DisplayModeSize> typicalModes() {
  return buildModeTable({mode32(1920, 1080), mode32(1680, 1050), mode32(1280, 1024),
                         mode32(1280, 720), mode32(1024, 768), mode32(800, 600),
                         mode32(640, 480)},
                        32);
}

int modeIndex(const CSetupDialog& dialog, s32 width, s32 height) {
  const auto& modes = dialog.modes();
  for (std::size_t i = 0; i < modes.size(); ++i) {
    if (modes[i] == DisplayModeSize{width, height}) return static_cast<int>(i);
  }
  return -1;
}

// --- the mode table --------------------------------------------------------

TEST(SetupDialogModeTable, CountsTwentyFourBitsInFourBytesAsThirtyTwo) {
  EXPECT_EQ(colourDepth(24, 4), 32);
  EXPECT_EQ(colourDepth(32, 4), 32);
  EXPECT_EQ(colourDepth(24, 3), 24);
  EXPECT_EQ(colourDepth(16, 2), 16);
}

TEST(SetupDialogModeTable, KeepsOnlyThirtyTwoBitModes) {
  const auto table = buildModeTable(
      {{1024, 768, 16, 2}, {800, 600, 24, 4}, {640, 480, 24, 3}, {1280, 720, 32, 4}}, 32);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0], (DisplayModeSize{800, 600}));
  EXPECT_EQ(table[1], (DisplayModeSize{1280, 720}));
}

TEST(SetupDialogModeTable, ModesDifferingOnlyInRefreshRateAppearOnce) {
  // The reported record carries no refresh rate: three reports of one size
  // at 60, 75 and 144 Hz arrive as three equal records.
  const auto table =
      buildModeTable({mode32(1920, 1080), mode32(1920, 1080), mode32(1920, 1080), mode32(800, 600)},
                     32);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[1], (DisplayModeSize{1920, 1080}));
}

TEST(SetupDialogModeTable, SortsByWidthThenHeight) {
  const auto table =
      buildModeTable({mode32(1280, 1024), mode32(640, 480), mode32(1280, 720), mode32(1280, 800),
                      mode32(720, 576), mode32(720, 480)},
                     32);
  const std::vector<DisplayModeSize> expected{{640, 480},  {720, 480},  {720, 576},
                                              {1280, 720}, {1280, 800}, {1280, 1024}};
  EXPECT_EQ(table, expected);
}

TEST(SetupDialogModeTable, KeepsTheFirst128DistinctModesInReportedOrder) {
  std::vector<ReportedDisplayMode> reported;
  for (s32 i = 0; i < 128; ++i) reported.push_back(mode32(1000 + i, 700));
  reported.push_back(mode32(1000, 700));  // a duplicate does not count
  reported.push_back(mode32(320, 200));   // the 129th distinct mode, smallest of all
  const auto table = buildModeTable(reported, 32);
  ASSERT_EQ(table.size(), kMaxDisplayModes);
  EXPECT_EQ(table.front(), (DisplayModeSize{1000, 700}));
  EXPECT_EQ(table.back(), (DisplayModeSize{1127, 700}));
}

TEST(SetupDialogModeTable, StaysEmptyWithoutThirtyTwoBitModes) {
  EXPECT_TRUE(buildModeTable({{800, 600, 16, 2}, {640, 480, 8, 1}}, 32).empty());
  EXPECT_TRUE(buildModeTable({}, 32).empty());
}

// --- aspect matching -------------------------------------------------------

TEST(SetupDialogAspect, MatchesListedRatiosExactlyInSinglePrecision) {
  EXPECT_EQ(listedAspectRow(1024, 768), 0);   // 4 : 3
  EXPECT_EQ(listedAspectRow(1920, 1080), 1);  // 16 : 9
  EXPECT_EQ(listedAspectRow(1280, 720), 1);
  EXPECT_EQ(listedAspectRow(1680, 1050), 2);  // 16 : 10
  EXPECT_EQ(listedAspectRow(1440, 900), 2);
  EXPECT_EQ(listedAspectRow(1280, 1024), 3);  // 5 : 4
}

TEST(SetupDialogAspect, NearMissesAndDegenerateSizesMatchNothing) {
  EXPECT_EQ(listedAspectRow(1366, 768), -1);  // 1.7786, close to but not 16 : 9
  EXPECT_EQ(listedAspectRow(1024, 600), -1);
  EXPECT_EQ(listedAspectRow(2560, 1080), -1);
  EXPECT_EQ(listedAspectRow(800, 0), -1);
  EXPECT_EQ(listedAspectRow(0, 0), -1);
}

TEST(SetupDialogAspect, SixteenToTenNeedsTheSinglePrecisionComparison) {
  // In double precision 1680 / 1050 is not 1.6f: the rule only works because
  // both sides are single-precision values.
  EXPECT_NE(1680.0 / 1050.0, static_cast<double>(1.6f));
  EXPECT_EQ(static_cast<double>(1680.0f / 1050.0f), 1.600000023841858);
  EXPECT_EQ(static_cast<double>(16.0f / 9.0f), 1.7777777910232544);
}

TEST(SetupDialogAspect, TablesHoldTheListedRowsInOrder) {
  const auto& aspects = aspectTable();
  ASSERT_EQ(aspects.size(), 4u);
  EXPECT_EQ(aspectLabel(aspects[0]), "4 : 3");
  EXPECT_EQ(aspectLabel(aspects[1]), "16 : 9");
  EXPECT_EQ(aspectLabel(aspects[2]), "16 : 10");
  EXPECT_EQ(aspectLabel(aspects[3]), "5 : 4");
  EXPECT_EQ(sampleTable(), (std::vector<s32>{0, 2, 4, 8}));
  EXPECT_EQ(sampleLabel(0), "none");
  EXPECT_EQ(sampleLabel(8), "x 8");
  EXPECT_EQ(modeLabel({1680, 1050}), "1680 x 1050");
}

// --- preselection ----------------------------------------------------------

TEST(SetupDialogPreselection, DesktopOf1680x1050SelectsThatModeAndSixteenToTen) {
  CSetupDialog dialog(SetupSettings{}, typicalModes(), 1680, 1050);
  EXPECT_EQ(dialog.selectedMode(), modeIndex(dialog, 1680, 1050));
  EXPECT_EQ(dialog.selectedAspect(), 2);
}

TEST(SetupDialogPreselection, DesktopModeMissingFromTheListSelectsTheLargest) {
  // A 16-bit desktop: its size was reported, but not at 32 bits.
  const auto modes = buildModeTable(
      {mode32(1280, 1024), mode32(800, 600), {1600, 1200, 16, 2}, mode32(1024, 768)}, 32);
  CSetupDialog dialog(SetupSettings{}, modes, 1600, 1200);
  EXPECT_EQ(dialog.modes()[static_cast<std::size_t>(dialog.selectedMode())],
            (DisplayModeSize{1280, 1024}));
  EXPECT_EQ(dialog.selectedAspect(), 0);  // 1600 x 1200 is 4 : 3
}

TEST(SetupDialogPreselection, InitialModeDoesNotOutlastTheLargestModeRule) {
  SetupSettings initial;  // 800 x 600, which the list holds
  CSetupDialog dialog(initial, typicalModes(), 3000, 2000);
  EXPECT_EQ(dialog.selectedMode(), static_cast<int>(dialog.modes().size()) - 1);
}

TEST(SetupDialogPreselection, UnlistedDesktopShapeKeepsTheInitialAspect) {
  SetupSettings initial;
  CSetupDialog sixteenNine(initial, typicalModes(), 1366, 768);
  EXPECT_EQ(sixteenNine.selectedAspect(), 1);

  initial.aspectX = 21;  // not in the table: line 0 stands
  initial.aspectY = 9;
  CSetupDialog unlisted(initial, typicalModes(), 1366, 768);
  EXPECT_EQ(unlisted.selectedAspect(), 0);

  initial.aspectX = 5;
  initial.aspectY = 4;
  CSetupDialog fiveFour(initial, typicalModes(), 2560, 1080);
  EXPECT_EQ(fiveFour.selectedAspect(), 3);
}

TEST(SetupDialogPreselection, SamplesFollowTheInitialRecordWhenListed) {
  SetupSettings initial;
  initial.fsaaSamples = 4;
  EXPECT_EQ(CSetupDialog(initial, typicalModes(), 800, 600).selectedSamples(), 2);
  initial.fsaaSamples = 3;
  EXPECT_EQ(CSetupDialog(initial, typicalModes(), 800, 600).selectedSamples(), 0);
}

TEST(SetupDialogPreselection, CheckBoxesFollowTheInitialRecord) {
  SetupSettings initial;
  CSetupDialog defaults(initial, typicalModes(), 800, 600);
  EXPECT_TRUE(defaults.fullscreen());
  EXPECT_TRUE(defaults.vsync());
  EXPECT_FALSE(defaults.bigScreen());
  EXPECT_FALSE(defaults.alwaysOnTop());
  EXPECT_FALSE(defaults.lowQuality());
  EXPECT_FALSE(defaults.alwaysOnTopEnabled());  // locked in full screen
  EXPECT_TRUE(defaults.sampleListEnabled());

  initial.fullscreen = 0;
  initial.alwaysOnTop = 1;
  initial.bigScreen = 1;
  initial.vsync = 0;
  CSetupDialog windowed(initial, typicalModes(), 800, 600);
  EXPECT_TRUE(windowed.alwaysOnTopEnabled());
  EXPECT_TRUE(windowed.alwaysOnTop());
  EXPECT_TRUE(windowed.bigScreen());
  EXPECT_FALSE(windowed.vsync());
}

// --- options ----------------------------------------------------------------

TEST(SetupDialogOptions, TogglingFullScreenOffRestoresAlwaysOnTop) {
  SetupSettings initial;
  initial.fullscreen = 0;
  SetupSettings chosen;
  CSetupDialog dialog(initial, typicalModes(), 800, 600);
  dialog.command(id::kAlwaysOnTop, chosen);
  ASSERT_TRUE(dialog.alwaysOnTop());

  dialog.command(id::kFullscreen, chosen);
  EXPECT_TRUE(dialog.fullscreen());
  EXPECT_FALSE(dialog.alwaysOnTopEnabled());
  EXPECT_TRUE(dialog.alwaysOnTop());  // kept while locked
  dialog.command(id::kAlwaysOnTop, chosen);
  EXPECT_TRUE(dialog.alwaysOnTop());  // a locked box takes no clicks

  dialog.command(id::kFullscreen, chosen);
  EXPECT_FALSE(dialog.fullscreen());
  EXPECT_TRUE(dialog.alwaysOnTopEnabled());
  EXPECT_TRUE(dialog.alwaysOnTop());
  dialog.command(id::kAlwaysOnTop, chosen);
  EXPECT_FALSE(dialog.alwaysOnTop());  // editable again
}

TEST(SetupDialogOptions, LowQualityLocksTheSampleListAndRunWritesNoSamples) {
  SetupSettings initial;
  initial.fsaaSamples = 8;
  CSetupDialog dialog(initial, typicalModes(), 800, 600);
  SetupSettings chosen;
  dialog.command(id::kLowQuality, chosen);
  EXPECT_TRUE(dialog.lowQuality());
  EXPECT_FALSE(dialog.sampleListEnabled());
  dialog.select(id::kSampleList, 1);
  EXPECT_EQ(dialog.selectedSamples(), 3);  // a locked list takes no picks
  ASSERT_EQ(dialog.command(id::kRun, chosen), kSetupDialogRun);
  EXPECT_EQ(chosen.fsaaSamples, 0);
  EXPECT_EQ(chosen.lowQuality, 1);

  dialog.command(id::kLowQuality, chosen);
  EXPECT_TRUE(dialog.sampleListEnabled());
  dialog.select(id::kSampleList, 1);
  ASSERT_EQ(dialog.command(id::kRun, chosen), kSetupDialogRun);
  EXPECT_EQ(chosen.fsaaSamples, 2);
}

TEST(SetupDialogOptions, OtherBoxesToggleFreely) {
  CSetupDialog dialog(SetupSettings{}, typicalModes(), 800, 600);
  SetupSettings chosen;
  dialog.command(id::kVsync, chosen);
  dialog.command(id::kBigScreen, chosen);
  EXPECT_FALSE(dialog.vsync());
  EXPECT_TRUE(dialog.bigScreen());
  dialog.command(id::kBigScreen, chosen);
  EXPECT_FALSE(dialog.bigScreen());
}

TEST(SetupDialogOptions, ListPicksOutOfRangeAreIgnored) {
  CSetupDialog dialog(SetupSettings{}, typicalModes(), 800, 600);
  const int mode = dialog.selectedMode();
  dialog.select(id::kModeList, 99);
  dialog.select(id::kModeList, -1);
  dialog.select(id::kAspectList, 4);
  EXPECT_EQ(dialog.selectedMode(), mode);
  EXPECT_EQ(dialog.selectedAspect(), 0);
  dialog.select(id::kModeList, 0);
  dialog.select(id::kAspectList, 3);
  EXPECT_EQ(dialog.selectedMode(), 0);
  EXPECT_EQ(dialog.selectedAspect(), 3);
}

// --- Run and Close ---------------------------------------------------------

TEST(SetupDialogRun, WritesTheSelectionButNotTheColourDepth) {
  CSetupDialog dialog(SetupSettings{}, typicalModes(), 1920, 1080);
  SetupSettings chosen;
  chosen.bitsPerPixel = 0;
  dialog.select(id::kAspectList, 3);
  dialog.select(id::kSampleList, 2);
  dialog.command(id::kFullscreen, chosen);
  dialog.command(id::kAlwaysOnTop, chosen);
  dialog.command(id::kBigScreen, chosen);
  ASSERT_EQ(dialog.command(id::kRun, chosen), kSetupDialogRun);
  EXPECT_EQ(chosen.width, 1920);
  EXPECT_EQ(chosen.height, 1080);
  EXPECT_EQ(chosen.aspectX, 5);
  EXPECT_EQ(chosen.aspectY, 4);
  EXPECT_EQ(chosen.fsaaSamples, 4);
  EXPECT_EQ(chosen.fullscreen, 0);
  EXPECT_EQ(chosen.vsync, 1);
  EXPECT_EQ(chosen.alwaysOnTop, 1);
  EXPECT_EQ(chosen.bigScreen, 1);
  EXPECT_EQ(chosen.lowQuality, 0);
  EXPECT_EQ(chosen.bitsPerPixel, 0);
}

TEST(SetupDialogRun, EmptyModeListDisablesRun) {
  CSetupDialog dialog(SetupSettings{}, {}, 1280, 720);
  EXPECT_EQ(dialog.selectedMode(), -1);
  EXPECT_FALSE(dialog.runEnabled());
  SetupSettings chosen;
  chosen.width = 123;
  EXPECT_EQ(dialog.command(id::kRun, chosen), kSetupDialogOpen);
  EXPECT_EQ(chosen.width, 123);
  EXPECT_EQ(dialog.command(id::kClose, chosen), kSetupDialogClose);
}

TEST(SetupDialogRun, CloseReturnsTwoAndLeavesTheRecord) {
  CSetupDialog dialog(SetupSettings{}, typicalModes(), 1680, 1050);
  SetupSettings chosen;
  chosen.width = 1;
  EXPECT_EQ(dialog.command(id::kClose, chosen), 2);
  EXPECT_EQ(chosen.width, 1);
}

TEST(SetupDialogRun, CancelAndUnknownIdentifiersAreIgnored) {
  CSetupDialog dialog(SetupSettings{}, typicalModes(), 1680, 1050);
  SetupSettings chosen;
  for (int unknown : {id::kCancel, 1, 1000, 1003, 1012, 1013, 1015, 40000}) {
    EXPECT_EQ(dialog.command(unknown, chosen), kSetupDialogOpen) << unknown;
  }
  EXPECT_EQ(dialog.command(id::kWebButton, chosen), kSetupDialogOpen);
  EXPECT_TRUE(dialog.fullscreen());
}

// --- template, script and documentation link -----------------------------

TEST(SetupDialogTemplate, CarriesTheLetterSpacedCaptions) {
  std::vector<std::string> captions;
  for (const auto& control : setupDialogTemplate().controls) {
    if (control.kind != platform::DialogControlKind::Picture) captions.push_back(control.text);
  }
  const std::vector<std::string> expected{
      "R e s o l u t i o n",     "", "A s p e c t", "", "F S A A", "", "O p t i o n s",
      "  F u l l s c r e e n",   "  V  S y n c",    "  B i g S c r e e n",
      "  A l w a y s  O n  T o p", "  L o w  Q u a l i t y", "Run", "Close", "Documentation"};
  EXPECT_EQ(captions, expected);
  EXPECT_EQ(setupDialogTemplate().width, 172);
  EXPECT_EQ(setupDialogTemplate().height, 189);
}

TEST(SetupDialogTemplate, FreePointsDragAndControlsTakeClicks) {
  const auto& dialog = setupDialogTemplate();
  const int unit = platform::kDialogPixelsPerUnit;
  EXPECT_EQ(platform::dialogControlAt(dialog, 30 * unit, 80 * unit), 0);    // artwork
  EXPECT_EQ(platform::dialogControlAt(dialog, 68 * unit, 30 * unit), 0);    // group frame
  EXPECT_EQ(platform::dialogControlAt(dialog, 170 * unit, 100 * unit), 0);  // margin
  EXPECT_EQ(platform::dialogControlAt(dialog, 90 * unit, 178 * unit), id::kRun);
  EXPECT_EQ(platform::dialogControlAt(dialog, 140 * unit, 178 * unit), id::kClose);
  EXPECT_EQ(platform::dialogControlAt(dialog, 20 * unit, 178 * unit), id::kWebButton);
  EXPECT_EQ(platform::dialogControlAt(dialog, 80 * unit, 20 * unit), id::kModeList);
  EXPECT_EQ(platform::dialogControlAt(dialog, 80 * unit, 162 * unit), id::kLowQuality);
}

TEST(SetupDialogScript, ParsesKeysClicksAndListLines) {
  std::vector<platform::DialogScriptStep> steps;
  ASSERT_TRUE(parseSetupDialogScript("escape,close,click:1011,click:1005:2,enter", steps));
  ASSERT_EQ(steps.size(), 5u);
  using Kind = platform::DialogScriptStep::Kind;
  EXPECT_EQ(steps[0].kind, Kind::Escape);
  EXPECT_EQ(steps[1].kind, Kind::Close);
  EXPECT_EQ(steps[2].kind, Kind::Click);
  EXPECT_EQ(steps[2].controlId, 1011);
  EXPECT_EQ(steps[2].line, -1);
  EXPECT_EQ(steps[3].controlId, 1005);
  EXPECT_EQ(steps[3].line, 2);
  EXPECT_EQ(steps[4].kind, Kind::Enter);
}

TEST(SetupDialogScript, RejectsBadStepsAndKeepsThePreviousScript) {
  std::vector<platform::DialogScriptStep> steps(1);
  for (const char* bad : {"", "jump", "click:", "click:x", "click:1005:", "click:1005:-1",
                          "click:1001x", "enter,,enter", "click:0"}) {
    EXPECT_FALSE(parseSetupDialogScript(bad, steps)) << bad;
  }
  EXPECT_EQ(steps.size(), 1u);
}

TEST(SetupDialogDocumentation, LinksTheReadmeOfTheCurrentDirectoryAsAFileUrl) {
  const std::filesystem::path previous = std::filesystem::current_path();
  const std::filesystem::path spaced =
      std::filesystem::temp_directory_path() / ("orvane dialog " + std::to_string(getpid()));
  std::filesystem::create_directories(spaced);
  std::filesystem::current_path(spaced);
  const std::string url = setupDialogDocumentationUrl();
  std::filesystem::current_path(previous);
  std::filesystem::remove(spaced);

  EXPECT_EQ(url.rfind("file:///", 0), 0u) << url;
  EXPECT_NE(url.find("/orvane%20dialog%20"), std::string::npos) << url;
  EXPECT_EQ(url.substr(url.size() - 10), "/README.md");
}

}  // namespace
