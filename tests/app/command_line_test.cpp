// Options: valid forms, their effect on the settings, and the errors for bad ones.
#include "app/command_line.h"
#include "app/display_aspect.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// The settings a command line leaves, from the defaults or the given ones.
SetupSettings applied(const std::vector<std::string>& arguments, SetupSettings settings = {}) {
  const CommandLineResult result = parseCommandLine(arguments);
  EXPECT_TRUE(result.error.empty()) << result.error;
  result.commandLine.applyTo(settings);
  return settings;
}

}  // namespace

TEST(CommandLine, WindowSizesSamplesAndDialogOptionsApply) {
  EXPECT_TRUE(parseCommandLine({}).commandLine.isInteractive());
  SetupSettings s = applied({});
  EXPECT_EQ(std::make_tuple(s.width, s.height, s.fullscreen), std::make_tuple(800, 600, 1));

  const CommandLineResult windowed = parseCommandLine({"--no-dialog", "--windowed", "320x240", "--fsaa", "4", "--frames", "3"});
  EXPECT_FALSE(windowed.commandLine.isInteractive());
  EXPECT_EQ(*windowed.commandLine.frames, 3);
  s = applied({"--no-dialog", "--windowed", "320x240", "--fsaa", "4", "--frames", "3"});
  EXPECT_EQ(std::make_tuple(s.fullscreen, s.width, s.height, s.fsaaSamples), std::make_tuple(0, 320, 240, 4));

  SetupSettings windowedBefore;
  windowedBefore.fullscreen = 0;
  s = applied({"--fullscreen", "1920x1080"}, windowedBefore);
  EXPECT_EQ(std::make_tuple(s.fullscreen, s.width), std::make_tuple(1, 1920));

  // Every dialog control has an option that acts like it.
  s = applied({"--no-dialog", "--windowed", "640x360", "--big-screen", "--no-vsync", "--always-on-top", "--aspect", "16:10"});
  EXPECT_EQ(std::make_tuple(s.bigScreen, s.vsync, s.alwaysOnTop, s.aspectX, s.aspectY, s.lowQuality),
            std::make_tuple(1, 0, 1, 16, 10, 0));
  // Low Quality greys out the anti-aliasing list: whatever the dialog chose, no samples.
  SetupSettings eight;
  eight.fsaaSamples = 8;
  s = applied({"--low-quality"}, eight);
  EXPECT_EQ(std::make_tuple(s.lowQuality, s.fsaaSamples), std::make_tuple(1, 0));
  EXPECT_TRUE(parseCommandLine({"--low-quality", "--fsaa", "0"}).error.empty());
}

TEST(CommandLine, BadOptionsValuesAndCombinationsAreErrors) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--bogus"}, {"--windowed"}, {"--windowed", "320"}, {"--windowed", "0x240"}, {"--windowed", "320x240x2"},
           {"--windowed", "-320x240"}, {"--fsaa", "3"}, {"--fsaa", "four"}, {"--frames", "0"}, {"--frames", "12abc"},
           {"--windowed", "320x240", "--fullscreen", "640x480"},
           // offline options outside a capture or bench
           {"--fps", "30"}, {"--size", "400x300"}, {"--video-quality", "archive"}, {"--bench", "--video-quality", "preview"},
           {"--capture", "out.mp4", "--video-quality", "best"}, {"--capture", "out.mp4", "--video-quality"},
           {"--capture", "out", "--windowed", "320x240"}, {"--bench", "--fps", "0"}, {"--capture"}, {"--start", "-1"},
           {"--start", "ten"},
           // bench files belong to the bench
           {"--bench-plot", "frames.svg"}, {"--capture", "out", "--bench-json", "frames.json"}, {"--bench", "--bench-plot"},
           {"--bench", "--bench-json", ""}, {"--bench-effects"}, {"--capture", "out", "--bench-effects"},
           // what the dialog cannot choose
           {"--aspect"}, {"--aspect", "21:9"}, {"--aspect", "16x9"}, {"--aspect", "16:"}, {"--low-quality", "--fsaa", "4"},
           {"--always-on-top", "--fullscreen", "800x600"},
           // author mode needs a window
           {"--dev", "--capture", "out"}, {"--dev", "--bench"},
           // a show is a folder
           {"--show"}, {"--show", ""},
           // a count is no run
           {"--frame-count", "--capture", "out"}, {"--frame-count", "--bench"}, {"--frame-count", "--frames", "3"},
           // the soak plays on the music's clock
           {"--loop", "0"}, {"--loop", "two"}, {"--loop", "3", "--bench"}, {"--loop", "3", "--capture", "out"},
       }) {
    std::string line;
    for (const std::string& argument : arguments) line += argument + " ";
    EXPECT_FALSE(parseCommandLine(arguments).error.empty()) << line;
  }
}

TEST(CommandLine, BenchMeasuresACaptureAtTheChosenVideoQuality) {
  const CommandLineResult result =
      parseCommandLine({"--bench", "--capture", "out.mp4", "--video-quality", "preview"});
  ASSERT_TRUE(result.error.empty()) << result.error;
  EXPECT_TRUE(result.commandLine.bench);
  EXPECT_EQ(*result.commandLine.videoQuality, platform::VideoQuality::Preview);
  EXPECT_FALSE(parseCommandLine({"--capture", "out.mp4"}).commandLine.videoQuality.has_value())
      << "archive by default, decided by the capture";
}

TEST(CommandLine, FrameRangeIsAPieceOfTheFixedStepRun) {
  const CommandLineResult piece = parseCommandLine({"--capture", "out", "--frames", "100-199"});
  ASSERT_TRUE(piece.error.empty()) << piece.error;
  EXPECT_EQ(*piece.commandLine.firstFrame, 100);
  EXPECT_EQ(*piece.commandLine.frames, 100) << "both ends count";
  const CommandLineResult single = parseCommandLine({"--bench", "--frames", "0-0"});
  ASSERT_TRUE(single.error.empty()) << single.error;
  EXPECT_EQ(std::make_tuple(*single.commandLine.firstFrame, *single.commandLine.frames), std::make_tuple(0, 1));
  const CommandLineResult count = parseCommandLine({"--capture", "out", "--frames", "30"});
  EXPECT_FALSE(count.commandLine.firstFrame.has_value()) << "a plain count still starts at the run's first frame";
  EXPECT_EQ(*count.commandLine.frames, 30);
  for (const char* range : {"5-4", "-3", "3-", "a-4", "1-2-3", "1 -2", "-"}) {
    EXPECT_FALSE(parseCommandLine({"--capture", "out", "--frames", range}).error.empty()) << range;
  }
  // A live show's frames follow the music's clock: a range has no fixed place in it.
  const CommandLineResult live = parseCommandLine({"--no-dialog", "--frames", "10-20"});
  EXPECT_NE(live.error.find("--capture or --bench"), std::string::npos) << live.error;
}

TEST(CommandLine, OfflineRunsRenderAsAWindowOfTheirSizeBenchesAt720pAndAuthorModePlaysToAWindow) {
  const CommandLineResult result =
      parseCommandLine({"--capture", "out", "--fps", "30", "--size", "400x300", "--start", "12.5", "--frames", "9"});
  ASSERT_TRUE(result.error.empty()) << result.error;
  const CommandLine& line = result.commandLine;
  EXPECT_EQ(std::make_tuple(line.isOffline(), line.isInteractive(), *line.captureTarget, *line.framesPerSecond,
                            *line.startSeconds),
            std::make_tuple(true, false, std::string("out"), 30, 12.5));
  SetupSettings settings;  // full screen 16:9 by default
  line.applyTo(settings);
  EXPECT_EQ(std::make_tuple(settings.fullscreen, settings.vsync, settings.width, settings.height),
            std::make_tuple(0, 0, 400, 300));
  // The windowed aspect rule then picks 4:3 from the size, whatever the dialog said.
  const DisplayAspect aspect = decideDisplayAspect(settings);
  EXPECT_EQ(std::make_tuple(aspect.x, aspect.y), std::make_tuple(4, 3));
  // Window options do nothing to an off-screen render, but the picture follows them.
  SetupSettings s = applied({"--capture", "frames", "--big-screen", "--always-on-top", "--low-quality", "--aspect", "4:3"});
  EXPECT_EQ(std::make_tuple(s.alwaysOnTop, s.bigScreen, s.lowQuality, s.aspectX), std::make_tuple(0, 1, 1, 4));

  const CommandLineResult bench =
      parseCommandLine({"--bench", "--fsaa", "4", "--bench-scene", "--bench-plot", "f.svg", "--bench-json", "f.json",
                        "--bench-effects"});
  ASSERT_TRUE(bench.error.empty()) << bench.error;
  EXPECT_EQ(std::make_tuple(bench.commandLine.bench, bench.commandLine.benchScene, *bench.commandLine.benchPlot,
                            *bench.commandLine.benchJson, bench.commandLine.benchEffects),
            std::make_tuple(true, true, std::string("f.svg"), std::string("f.json"), true));
  s = SetupSettings{};
  bench.commandLine.applyTo(s);
  EXPECT_EQ(std::make_tuple(s.width, s.height, s.fsaaSamples, s.vsync), std::make_tuple(1280, 720, 4, 0));

  EXPECT_FALSE(parseCommandLine({}).commandLine.dev);
  const CommandLineResult dev = parseCommandLine({"--no-dialog", "--windowed", "1280x720", "--dev"});
  EXPECT_TRUE(dev.error.empty()) << dev.error;
  EXPECT_TRUE(dev.commandLine.dev);
  EXPECT_FALSE(dev.commandLine.isOffline()) << "author mode plays to a window with the music";
  const CommandLineResult soak = parseCommandLine({"--no-dialog", "--windowed", "320x180", "--dev", "--loop", "3"});
  EXPECT_TRUE(soak.error.empty()) << soak.error;
  EXPECT_EQ(soak.commandLine.loopPasses, 3);

  const CommandLineResult count = parseCommandLine({"--show", "mine", "--frame-count", "--fps", "30", "--start", "2"});
  EXPECT_TRUE(count.error.empty()) << count.error;
  EXPECT_TRUE(count.commandLine.isOffline()) << "a count loads the show as a capture does, with no dialog or window";
  EXPECT_EQ(*count.commandLine.showFolder, "mine");
}
