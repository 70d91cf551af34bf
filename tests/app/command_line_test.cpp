// Options: valid forms, their effect on the settings, and the errors for bad ones.
#include "app/command_line.h"

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

TEST(CommandLine, UsageNamesEveryOption) {
  const std::string usage = usageText();
  for (const char* option : {"--help", "--version", "--no-dialog", "--windowed", "--fullscreen", "--fsaa", "--frames"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
}
