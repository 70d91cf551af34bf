// The program's options. With none, the program behaves as a viewer expects: the
// setup dialog, then the show. Options only add ways to test and to make demos.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/setup_settings.h"
#include "platform/movie_settings.h"

struct CommandLine {
  bool help = false;
  bool version = false;
  bool noDialog = false;
  std::optional<std::pair<int, int>> windowed;    // --windowed WxH
  std::optional<std::pair<int, int>> fullscreen;  // --fullscreen WxH
  std::optional<int> fsaaSamples;                 // --fsaa N
  std::optional<long> frames;                     // --frames N, or the count of --frames FIRST-LAST
  std::optional<long> firstFrame;                 // --frames FIRST-LAST: the run's frame to begin with
  std::optional<double> startSeconds;             // --start SECONDS
  std::optional<std::string> captureTarget;       // --capture DIR (or a .mp4/.mkv file)
  std::optional<platform::VideoQuality> videoQuality;  // --video-quality NAME (capture)
  bool bench = false;                             // --bench
  std::optional<std::string> benchPlot;           // --bench-plot FILE.svg
  std::optional<std::string> benchJson;           // --bench-json FILE
  bool benchEffects = false;                      // --bench-effects: time every effect pass
  std::optional<int> framesPerSecond;             // --fps N (capture, bench)
  std::optional<std::pair<int, int>> size;        // --size WxH (capture, bench)
  bool benchScene = false;                        // --bench-scene: the built-in scenes
  bool dev = false;                               // --dev: author mode
  std::optional<std::string> showFolder;          // --show DIR: the folder that holds data/
  bool frameCount = false;                        // --frame-count: print the run's frames and quit
  std::optional<int> loopPasses;                  // --loop N: the soak's passes
  // The setup dialog's other controls, so that any run can be scripted.
  bool bigScreen = false;                         // --big-screen
  bool lowQuality = false;                        // --low-quality
  bool noVsync = false;                           // --no-vsync
  bool alwaysOnTop = false;                       // --always-on-top
  std::optional<std::pair<int, int>> aspect;      // --aspect W:H, one of the dialog's ratios

  // Capture and bench render at a fixed step with no dialog, sound or display.
  // --frame-count loads the show as a capture would, to find its end.
  bool isOffline() const { return captureTarget.has_value() || bench || frameCount; }
  // Whether a failed fatal check may show a modal message box.
  bool isInteractive() const { return !noDialog && !isOffline(); }
  // The options that override the dialog's (or the defaults') choice.
  void applyTo(SetupSettings& settings) const;
};

struct CommandLineResult {
  CommandLine commandLine;
  std::string error;  // empty when the arguments were valid
};

CommandLineResult parseCommandLine(const std::vector<std::string>& arguments);
std::string usageText();
