// Options: valid forms, their effect on the settings, and the errors for bad ones.
#include "app/command_line.h"
#include "app/display_aspect.h"

#include <gtest/gtest.h>

TEST(CommandLine, NoOptionsKeepsTheViewerBehaviour) {
  const CommandLineResult result = parseCommandLine({});
  EXPECT_TRUE(result.error.empty());
  EXPECT_TRUE(result.commandLine.isInteractive());
  SetupSettings settings;
  result.commandLine.applyTo(settings);
  EXPECT_EQ(settings.width, 800);
  EXPECT_EQ(settings.height, 600);
  EXPECT_EQ(settings.fullscreen, 1);
}

TEST(CommandLine, WindowedFramesAndSamplesApply) {
  const CommandLineResult result =
      parseCommandLine({"--no-dialog", "--windowed", "320x240", "--fsaa", "4", "--frames", "3"});
  ASSERT_TRUE(result.error.empty()) << result.error;
  EXPECT_FALSE(result.commandLine.isInteractive());
  EXPECT_EQ(*result.commandLine.frames, 3);
  SetupSettings settings;
  result.commandLine.applyTo(settings);
  EXPECT_EQ(settings.fullscreen, 0);
  EXPECT_EQ(settings.width, 320);
  EXPECT_EQ(settings.height, 240);
  EXPECT_EQ(settings.fsaaSamples, 4);
}

TEST(CommandLine, FullscreenSizeApplies) {
  const CommandLineResult result = parseCommandLine({"--fullscreen", "1920x1080"});
  ASSERT_TRUE(result.error.empty());
  SetupSettings settings;
  settings.fullscreen = 0;
  result.commandLine.applyTo(settings);
  EXPECT_EQ(settings.fullscreen, 1);
  EXPECT_EQ(settings.width, 1920);
}

TEST(CommandLine, BadOptionsAndValuesAreErrors) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--bogus"},
           {"--windowed"},
           {"--windowed", "320"},
           {"--windowed", "0x240"},
           {"--windowed", "320x240x2"},
           {"--windowed", "-320x240"},
           {"--fsaa", "3"},
           {"--fsaa", "four"},
           {"--frames", "0"},
           {"--frames", "12abc"},
           {"--windowed", "320x240", "--fullscreen", "640x480"},
       }) {
    const CommandLineResult result = parseCommandLine(arguments);
    EXPECT_FALSE(result.error.empty()) << arguments[0] << (arguments.size() > 1 ? " " + arguments[1] : "");
  }
}

TEST(CommandLine, FrameRangeIsAPieceOfTheFixedStepRun) {
  const CommandLineResult piece = parseCommandLine({"--capture", "out", "--frames", "100-199"});
  ASSERT_TRUE(piece.error.empty()) << piece.error;
  EXPECT_EQ(*piece.commandLine.firstFrame, 100);
  EXPECT_EQ(*piece.commandLine.frames, 100) << "both ends count";
  const CommandLineResult single = parseCommandLine({"--bench", "--frames", "0-0"});
  ASSERT_TRUE(single.error.empty()) << single.error;
  EXPECT_EQ(*single.commandLine.firstFrame, 0);
  EXPECT_EQ(*single.commandLine.frames, 1);
  const CommandLineResult count = parseCommandLine({"--capture", "out", "--frames", "30"});
  ASSERT_TRUE(count.error.empty()) << count.error;
  EXPECT_FALSE(count.commandLine.firstFrame.has_value()) << "a plain count still starts at the run's first frame";
  EXPECT_EQ(*count.commandLine.frames, 30);

  for (const char* range : {"5-4", "-3", "3-", "a-4", "1-2-3", "1 -2", "-"}) {
    EXPECT_FALSE(parseCommandLine({"--capture", "out", "--frames", range}).error.empty()) << range;
  }
  // A live show's frames follow the music's clock: a range has no fixed place in it.
  const CommandLineResult live = parseCommandLine({"--no-dialog", "--frames", "10-20"});
  EXPECT_NE(live.error.find("--capture or --bench"), std::string::npos) << live.error;
}

TEST(CommandLine, UsageNamesEveryOption) {
  const std::string usage = usageText();
  for (const char* option :
       {"--help", "--version", "--no-dialog", "--windowed", "--fullscreen", "--fsaa", "--frames", "--dev"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
}

TEST(CommandLine, OfflineRunsRenderAsAWindowOfTheirSize) {
  const CommandLineResult result =
      parseCommandLine({"--capture", "out", "--fps", "30", "--size", "400x300", "--start", "12.5", "--frames", "9"});
  ASSERT_TRUE(result.error.empty()) << result.error;
  const CommandLine& line = result.commandLine;
  EXPECT_TRUE(line.isOffline());
  EXPECT_FALSE(line.isInteractive());
  EXPECT_EQ(*line.captureTarget, "out");
  EXPECT_EQ(*line.framesPerSecond, 30);
  EXPECT_DOUBLE_EQ(*line.startSeconds, 12.5);
  SetupSettings settings;  // full screen 16:9 by default
  line.applyTo(settings);
  EXPECT_EQ(settings.fullscreen, 0);
  EXPECT_EQ(settings.vsync, 0);
  EXPECT_EQ(settings.width, 400);
  EXPECT_EQ(settings.height, 300);
  // The windowed aspect rule then picks 4:3 from the size, whatever the dialog said.
  const DisplayAspect aspect = decideDisplayAspect(settings);
  EXPECT_EQ(aspect.x, 4);
  EXPECT_EQ(aspect.y, 3);
}

TEST(CommandLine, BenchDefaultsTo720pAndTakesSamplesAndTheBuiltInScenes) {
  const CommandLineResult result = parseCommandLine({"--bench", "--fsaa", "4", "--bench-scene"});
  ASSERT_TRUE(result.error.empty()) << result.error;
  EXPECT_TRUE(result.commandLine.bench);
  EXPECT_TRUE(result.commandLine.benchScene);
  SetupSettings settings;
  result.commandLine.applyTo(settings);
  EXPECT_EQ(settings.width, 1280);
  EXPECT_EQ(settings.height, 720);
  EXPECT_EQ(settings.fsaaSamples, 4);
  EXPECT_EQ(settings.vsync, 0);
}

TEST(CommandLine, BenchFilesBelongToTheBench) {
  const CommandLineResult result =
      parseCommandLine({"--bench", "--bench-plot", "frames.svg", "--bench-json", "frames.json"});
  ASSERT_TRUE(result.error.empty()) << result.error;
  EXPECT_EQ(*result.commandLine.benchPlot, "frames.svg");
  EXPECT_EQ(*result.commandLine.benchJson, "frames.json");
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--bench-plot", "frames.svg"},
           {"--capture", "out", "--bench-json", "frames.json"},
           {"--bench", "--bench-plot"},
           {"--bench", "--bench-json", ""},
       }) {
    EXPECT_FALSE(parseCommandLine(arguments).error.empty()) << arguments[0] << " " << arguments.back();
  }
  const std::string usage = usageText();
  EXPECT_NE(usage.find("--bench-plot"), std::string::npos);
  EXPECT_NE(usage.find("--bench-json"), std::string::npos);
}

TEST(CommandLine, OfflineOptionsOutsideCaptureOrBenchAreErrors) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--fps", "30"},
           {"--size", "400x300"},
           {"--capture", "out", "--bench"},
           {"--capture", "out", "--windowed", "320x240"},
           {"--bench", "--fps", "0"},
           {"--capture"},
           {"--start", "-1"},
           {"--start", "ten"},
       }) {
    EXPECT_FALSE(parseCommandLine(arguments).error.empty()) << arguments[0];
  }
  const std::string usage = usageText();
  for (const char* option : {"--start", "--capture", "--bench", "--fps", "--size", "--bench-scene"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
}

TEST(CommandLine, DevModeIsOffByDefaultAndNeedsAWindow) {
  EXPECT_FALSE(parseCommandLine({}).commandLine.dev);
  const CommandLineResult dev = parseCommandLine({"--no-dialog", "--windowed", "1280x720", "--dev"});
  EXPECT_TRUE(dev.error.empty()) << dev.error;
  EXPECT_TRUE(dev.commandLine.dev);
  EXPECT_FALSE(dev.commandLine.isOffline()) << "author mode plays to a window with the music";
  EXPECT_FALSE(parseCommandLine({"--dev", "--capture", "out"}).error.empty());
  EXPECT_FALSE(parseCommandLine({"--dev", "--bench"}).error.empty());
  const std::string usage = usageText();
  for (const char* key : {"Space", "Left/Right", "Down/Up", "Page Up/Page Down", "Home"}) {
    EXPECT_NE(usage.find(key), std::string::npos) << key;
  }
}

TEST(CommandLine, EveryDialogControlHasAnOptionThatActsLikeIt) {
  const CommandLineResult result = parseCommandLine(
      {"--no-dialog", "--windowed", "640x360", "--big-screen", "--no-vsync", "--always-on-top", "--aspect", "16:10"});
  ASSERT_TRUE(result.error.empty()) << result.error;
  SetupSettings settings;
  result.commandLine.applyTo(settings);
  EXPECT_EQ(settings.bigScreen, 1);
  EXPECT_EQ(settings.vsync, 0);
  EXPECT_EQ(settings.alwaysOnTop, 1);
  EXPECT_EQ(settings.aspectX, 16);
  EXPECT_EQ(settings.aspectY, 10);
  EXPECT_EQ(settings.lowQuality, 0);

  // Low Quality greys out the anti-aliasing list: whatever the dialog chose, no samples.
  const CommandLineResult low = parseCommandLine({"--low-quality"});
  ASSERT_TRUE(low.error.empty()) << low.error;
  SetupSettings chosen;
  chosen.fsaaSamples = 8;
  low.commandLine.applyTo(chosen);
  EXPECT_EQ(chosen.lowQuality, 1);
  EXPECT_EQ(chosen.fsaaSamples, 0);
}

TEST(CommandLine, DialogOptionsRefuseWhatTheDialogCannotChoose) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--aspect"},
           {"--aspect", "21:9"},
           {"--aspect", "16x9"},
           {"--aspect", "16:"},
           {"--low-quality", "--fsaa", "4"},
           {"--always-on-top", "--fullscreen", "800x600"},
       }) {
    const CommandLineResult result = parseCommandLine(arguments);
    EXPECT_FALSE(result.error.empty()) << arguments[0] << (arguments.size() > 1 ? " " + arguments[1] : "");
  }
  EXPECT_TRUE(parseCommandLine({"--low-quality", "--fsaa", "0"}).error.empty());
}

TEST(CommandLine, WindowOptionsDoNothingToAnOffScreenRender) {
  const CommandLineResult result =
      parseCommandLine({"--capture", "frames", "--big-screen", "--always-on-top", "--low-quality", "--aspect", "4:3"});
  ASSERT_TRUE(result.error.empty()) << result.error;
  SetupSettings settings;
  result.commandLine.applyTo(settings);
  EXPECT_EQ(settings.alwaysOnTop, 0);
  EXPECT_EQ(settings.bigScreen, 1) << "the brighter picture shows in a capture";
  EXPECT_EQ(settings.lowQuality, 1) << "the picture itself still follows it";
  EXPECT_EQ(settings.aspectX, 4);
}
