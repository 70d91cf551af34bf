// The setup dialog's rules without a window: mode table, preselection, aspect
// matching, option interplay, what Run and Close leave in the chosen record.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/setup_dialog.h"
#include "app/setup_dialog_logic.h"

namespace {

namespace id = setup_dialog_id;

ReportedDisplayMode mode32(s32 width, s32 height) { return {width, height, 24, 4}; }

std::vector<DisplayModeSize> typicalModes() {
  return buildModeTable({mode32(1920, 1080), mode32(1680, 1050), mode32(1280, 1024), mode32(1280, 720),
                         mode32(1024, 768), mode32(800, 600), mode32(640, 480)},
                        32);
}

DisplayModeSize selected(const CSetupDialog& dialog) {
  return dialog.modes().at(static_cast<std::size_t>(dialog.selectedMode()));
}

}  // namespace

TEST(SetupDialogModeTable, KeepsThirtyTwoBitModesOncePerSizeSortedAndAtMost128) {
  // A 32-bit desktop is reported as 24 bits in 4 bytes; refresh rates are not reported.
  EXPECT_EQ(buildModeTable({{1024, 768, 16, 2}, {800, 600, 24, 4}, {640, 480, 24, 3}, {1280, 720, 32, 4},
                            {800, 600, 24, 4}, {1280, 1024, 24, 4}, {720, 576, 24, 4}, {1280, 800, 24, 4}},
                           32),
            (std::vector<DisplayModeSize>{{720, 576}, {800, 600}, {1280, 720}, {1280, 800}, {1280, 1024}}));
  EXPECT_TRUE(buildModeTable({{800, 600, 16, 2}, {640, 480, 8, 1}}, 32).empty());
  EXPECT_TRUE(buildModeTable({}, 32).empty());

  std::vector<ReportedDisplayMode> reported;
  for (s32 i = 0; i < 128; ++i) reported.push_back(mode32(1000 + i, 700));
  reported.push_back(mode32(1000, 700));  // a duplicate does not count
  reported.push_back(mode32(320, 200));   // the 129th distinct mode, smallest of all
  const auto table = buildModeTable(reported, 32);
  ASSERT_EQ(table.size(), kMaxDisplayModes);
  EXPECT_EQ(table.front(), (DisplayModeSize{1000, 700}));
  EXPECT_EQ(table.back(), (DisplayModeSize{1127, 700}));
}

TEST(SetupDialogAspect, OnlySizesOfExactlyAListedShapeMatchInSinglePrecision) {
  const std::pair<DisplayModeSize, int> cases[] = {
      {{1024, 768}, 0},  {{1920, 1080}, 1}, {{1280, 720}, 1}, {{1680, 1050}, 2}, {{1440, 900}, 2},
      {{1280, 1024}, 3}, {{1366, 768}, -1},  // 1.7786, close to but not 16 : 9
      {{1024, 600}, -1}, {{2560, 1080}, -1}, {{800, 0}, -1},   {{0, 0}, -1}};
  for (const auto& [size, row] : cases) EXPECT_EQ(listedAspectRow(size.width, size.height), row) << size.width;
}

TEST(SetupDialogPreselection, TheDesktopModeOrElseTheLargestAndTheDesktopsShape) {
  CSetupDialog desktop(SetupSettings{}, typicalModes(), 1680, 1050);
  EXPECT_EQ(selected(desktop), (DisplayModeSize{1680, 1050}));
  EXPECT_EQ(desktop.selectedAspect(), 2);
  // A 16-bit desktop: its size was reported, but not at 32 bits.
  const auto modes = buildModeTable({mode32(1280, 1024), mode32(800, 600), {1600, 1200, 16, 2}, mode32(1024, 768)}, 32);
  CSetupDialog missing(SetupSettings{}, modes, 1600, 1200);
  EXPECT_EQ(selected(missing), (DisplayModeSize{1280, 1024}));
  EXPECT_EQ(missing.selectedAspect(), 0);  // 1600 x 1200 is 4 : 3
  // The initial 800 x 600 does not outlast the largest-mode rule.
  EXPECT_EQ(selected(CSetupDialog(SetupSettings{}, typicalModes(), 3000, 2000)), (DisplayModeSize{1920, 1080}));
}

TEST(SetupDialogPreselection, UnlistedDesktopShapesKeepTheInitialAspectAndSamplesFollowTheRecord) {
  struct Case {
    s32 aspectX, aspectY, desktopWidth, desktopHeight;
    int row;
  };
  for (const Case& c : {Case{16, 9, 1366, 768, 1}, Case{21, 9, 1366, 768, 0}, Case{5, 4, 2560, 1080, 3}}) {
    SetupSettings initial;
    initial.aspectX = c.aspectX;
    initial.aspectY = c.aspectY;
    EXPECT_EQ(CSetupDialog(initial, typicalModes(), c.desktopWidth, c.desktopHeight).selectedAspect(), c.row)
        << c.aspectX << ":" << c.aspectY;
  }
  SetupSettings initial;
  initial.fsaaSamples = 4;
  EXPECT_EQ(CSetupDialog(initial, typicalModes(), 800, 600).selectedSamples(), 2);
  initial.fsaaSamples = 3;  // not listed
  EXPECT_EQ(CSetupDialog(initial, typicalModes(), 800, 600).selectedSamples(), 0);
}

TEST(SetupDialogOptions, CheckBoxesFollowTheRecordAndFullScreenLocksAlwaysOnTopWithoutForgettingIt) {
  // The defaults: the window test's Enter.
  SetupSettings initial;
  initial.fullscreen = 0;
  initial.alwaysOnTop = 1;
  initial.bigScreen = 1;
  initial.vsync = 0;
  CSetupDialog dialog(initial, typicalModes(), 800, 600);
  EXPECT_EQ(std::make_tuple(dialog.alwaysOnTopEnabled(), dialog.alwaysOnTop(), dialog.bigScreen(), dialog.vsync()),
            std::make_tuple(true, true, true, false));
  SetupSettings chosen;
  dialog.command(id::kFullscreen, chosen);
  EXPECT_EQ(std::make_tuple(dialog.fullscreen(), dialog.alwaysOnTopEnabled()), std::make_tuple(true, false));
  dialog.command(id::kAlwaysOnTop, chosen);
  dialog.command(id::kFullscreen, chosen);
  EXPECT_EQ(std::make_tuple(dialog.alwaysOnTopEnabled(), dialog.alwaysOnTop()), std::make_tuple(true, true))
      << "kept while locked; a locked box takes no clicks";
  dialog.command(id::kAlwaysOnTop, chosen);
  EXPECT_FALSE(dialog.alwaysOnTop()) << "editable again";
}

TEST(SetupDialogRun, CloseAndAnEmptyModeListLeaveTheRecordAndOtherIdentifiersAreIgnored) {
  CSetupDialog empty(SetupSettings{}, {}, 1280, 720);
  EXPECT_EQ(empty.selectedMode(), -1);
  EXPECT_FALSE(empty.runEnabled());
  SetupSettings chosen;
  chosen.width = 123;
  EXPECT_EQ(empty.command(id::kRun, chosen), kSetupDialogOpen);
  EXPECT_EQ(empty.command(id::kClose, chosen), kSetupDialogClose);
  CSetupDialog dialog(SetupSettings{}, typicalModes(), 1680, 1050);
  EXPECT_EQ(dialog.command(id::kClose, chosen), kSetupDialogClose);
  for (int unknown : {id::kCancel, id::kWebButton, 1, 40000}) EXPECT_EQ(dialog.command(unknown, chosen), kSetupDialogOpen);
  EXPECT_EQ(chosen.width, 123);
  EXPECT_TRUE(dialog.fullscreen());
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
