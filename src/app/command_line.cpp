// Parsing and validation of the program's options.
#include "app/command_line.h"

#include <charconv>
#include <cstdlib>
#include <string>

#include "app/setup_dialog_logic.h"

namespace {

bool parseInteger(const std::string& text, long& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

bool parseSize(const std::string& text, std::pair<int, int>& size) {
  const std::size_t cross = text.find('x');
  long width = 0;
  long height = 0;
  if (cross == std::string::npos || !parseInteger(text.substr(0, cross), width) ||
      !parseInteger(text.substr(cross + 1), height)) {
    return false;
  }
  if (width < 1 || height < 1 || width > 16384 || height > 16384) return false;
  size = {static_cast<int>(width), static_cast<int>(height)};
  return true;
}

// The dialog's aspect list: 4:3, 16:9, 16:10, 5:4.
bool parseAspect(const std::string& text, std::pair<int, int>& aspect) {
  const std::size_t colon = text.find(':');
  long x = 0;
  long y = 0;
  if (colon == std::string::npos || !parseInteger(text.substr(0, colon), x) ||
      !parseInteger(text.substr(colon + 1), y)) {
    return false;
  }
  for (const auto& [listedX, listedY] : {std::pair{4, 3}, {16, 9}, {16, 10}, {5, 4}}) {
    if (x == listedX && y == listedY) {
      aspect = {listedX, listedY};
      return true;
    }
  }
  return false;
}

// The dialog's check boxes and aspect list, applied as its Run button does.
void applyDialogOptions(const CommandLine& line, SetupSettings& settings) {
  if (line.bigScreen) settings.bigScreen = 1;
  if (line.noVsync) settings.vsync = 0;
  if (line.alwaysOnTop) settings.alwaysOnTop = 1;
  if (line.aspect) {
    settings.aspectX = line.aspect->first;
    settings.aspectY = line.aspect->second;
  }
  if (line.lowQuality) {
    settings.lowQuality = 1;
    settings.fsaaSamples = 0;  // the dialog greys the anti-aliasing list out
  }
}

// Parses one of the dialog's options at arguments[i]; false when it is none.
bool parseDialogOption(const std::vector<std::string>& arguments, std::size_t& i, CommandLineResult& result) {
  CommandLine& line = result.commandLine;
  const std::string& option = arguments[i];
  if (option == "--big-screen") {
    line.bigScreen = true;
  } else if (option == "--low-quality") {
    line.lowQuality = true;
  } else if (option == "--no-vsync") {
    line.noVsync = true;
  } else if (option == "--always-on-top") {
    line.alwaysOnTop = true;
  } else if (option == "--aspect") {
    if (i + 1 >= arguments.size()) {
      result.error = "option --aspect needs a value";
      return true;
    }
    const std::string& value = arguments[++i];
    std::pair<int, int> aspect;
    if (!parseAspect(value, aspect)) {
      result.error = "option --aspect takes 4:3, 16:9, 16:10 or 5:4, not '" + value + "'";
      return true;
    }
    line.aspect = aspect;
  } else {
    return false;
  }
  return true;
}

}  // namespace

void CommandLine::applyTo(SetupSettings& settings) const {
  if (windowed) {
    settings.fullscreen = 0;
    settings.width = windowed->first;
    settings.height = windowed->second;
  }
  if (fullscreen) {
    settings.fullscreen = 1;
    settings.alwaysOnTop = 0;
    settings.width = fullscreen->first;
    settings.height = fullscreen->second;
  }
  if (isOffline()) {
    // Rendered as a window of its size would be, without waiting for a display.
    settings.fullscreen = 0;
    settings.alwaysOnTop = 0;
    settings.vsync = 0;
    settings.width = size ? size->first : 1280;
    settings.height = size ? size->second : 720;
  }
  if (fsaaSamples) {
    settings.fsaaSamples = *fsaaSamples;
  }
  applyDialogOptions(*this, settings);
  if (isOffline()) {
    // Window options mean nothing to a picture rendered off screen; the big
    // screen's brighter picture still shows in it.
    settings.alwaysOnTop = 0;
    settings.vsync = 0;
  }
}

namespace {

// The options that take the next argument as their value.
bool takesValue(const std::string& option) {
  for (const char* name : {"--windowed", "--fullscreen", "--fsaa", "--start", "--capture", "--video-quality",
                           "--bench-plot", "--bench-json", "--show", "--loop", "--fps", "--size", "--frames"}) {
    if (option == name) return true;
  }
  return false;
}

// --frames: a count, or FIRST-LAST (both counted from 0, inclusive), one piece
// of a longer run. False with the error set when the value is neither.
bool parseFrames(const std::string& value, CommandLine& line, std::string& error) {
  const std::size_t dash = value.find('-');
  long first = 0;
  long last = 0;
  if (dash != std::string::npos) {
    if (!parseInteger(value.substr(0, dash), first) || !parseInteger(value.substr(dash + 1), last) ||
        first < 0 || last < first || last > 999999999) {
      error = "option --frames takes a count or FIRST-LAST with FIRST <= LAST, not '" + value + "'";
      return false;
    }
    line.firstFrame = first;
    line.frames = last - first + 1;
  } else {
    long frames = 0;
    if (!parseInteger(value, frames) || frames < 1) {
      error = "option --frames takes a positive count, not '" + value + "'";
      return false;
    }
    line.frames = frames;
  }
  return true;
}

// One option that takes a value (takesValue); false with the error set when the
// value does not fit it.
bool parseValueOption(const std::string& option, const std::string& value, CommandLine& line, std::string& error) {
  if (option == "--windowed" || option == "--fullscreen" || option == "--size") {
    std::pair<int, int> size;
    if (!parseSize(value, size)) {
      error = "option " + option + " takes WIDTHxHEIGHT, not '" + value + "'";
      return false;
    }
    (option == "--windowed" ? line.windowed : option == "--fullscreen" ? line.fullscreen : line.size) = size;
  } else if (option == "--fsaa") {
    long samples = -1;
    if (!parseInteger(value, samples) || !isOfferedSampleCount(samples)) {
      error = "option --fsaa takes 0, 2, 4 or 8, not '" + value + "'";
      return false;
    }
    line.fsaaSamples = static_cast<int>(samples);
  } else if (option == "--start") {
    char* end = nullptr;
    const double seconds = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !(seconds >= 0.0) || seconds > 4294967.0) {
      error = "option --start takes a time in seconds, not '" + value + "'";
      return false;
    }
    line.startSeconds = seconds;
  } else if (option == "--video-quality") {
    platform::VideoQuality quality;
    if (!platform::parseVideoQuality(value, quality)) {
      error = "option --video-quality takes preview, archive or lossless, not '" + value + "'";
      return false;
    }
    line.videoQuality = quality;
  } else if (option == "--capture" || option == "--bench-plot" || option == "--bench-json" || option == "--show") {
    if (value.empty()) {
      error = option == "--capture" ? "option --capture needs a folder or a .mp4/.mkv file"
              : option == "--show"  ? "option --show needs the folder that holds the show's data/"
                                    : "option " + option + " needs a file name";
      return false;
    }
    (option == "--capture" ? line.captureTarget : option == "--show" ? line.showFolder
     : option == "--bench-plot"                 ? line.benchPlot
                                                : line.benchJson) = value;
  } else if (option == "--loop" || option == "--fps") {
    const bool loop = option == "--loop";
    long count = 0;
    if (!parseInteger(value, count) || count < 1 || count > 1000) {
      error = loop ? "option --loop takes 1 to 1000 passes, not '" + value + "'"
                   : "option --fps takes 1 to 1000 frames per second, not '" + value + "'";
      return false;
    }
    (loop ? line.loopPasses : line.framesPerSecond) = static_cast<int>(count);
  } else {
    return parseFrames(value, line, error);
  }
  return true;
}

// What two options given together contradict; empty when nothing does.
std::string combinationError(const CommandLine& line) {
  if (line.windowed && line.fullscreen) {
    return "--windowed and --fullscreen exclude each other";
  } else if (line.videoQuality && !line.captureTarget) {
    return "--video-quality belongs to --capture";
  } else if (line.frameCount && (line.captureTarget || line.bench || line.frames)) {
    return "--frame-count only counts: it does not go with --capture, --bench or --frames";
  } else if ((line.benchPlot || line.benchJson || line.benchEffects) && !line.bench) {
    return "--bench-plot, --bench-json and --bench-effects belong to --bench";
  } else if ((line.framesPerSecond || line.size) && !line.isOffline()) {
    return "--fps and --size belong to --capture or --bench";
  } else if (line.isOffline() && (line.windowed || line.fullscreen)) {
    return "--capture and --bench render off screen: use --size, not --windowed or --fullscreen";
  } else if (line.firstFrame && !line.isOffline()) {
    return "--frames FIRST-LAST belongs to --capture or --bench: only they count frames at a fixed step";
  } else if (line.lowQuality && line.fsaaSamples.value_or(0) != 0) {
    return "--low-quality turns anti-aliasing off: it does not go with --fsaa " + std::to_string(*line.fsaaSamples);
  } else if (line.alwaysOnTop && line.fullscreen) {
    return "--always-on-top is for a window: it does not go with --fullscreen";
  } else if (line.dev && line.isOffline()) {
    return "--dev needs a window: it does not go with --capture or --bench";
  } else if (line.loopPasses && line.isOffline()) {
    return "--loop plays on the music's clock: it does not go with --capture or --bench";
  }
  return "";
}

}  // namespace

CommandLineResult parseCommandLine(const std::vector<std::string>& arguments) {
  CommandLineResult result;
  CommandLine& line = result.commandLine;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    if (option == "--help" || option == "-h") {
      line.help = true;
    } else if (option == "--version") {
      line.version = true;
    } else if (option == "--no-dialog") {
      line.noDialog = true;
    } else if (option == "--bench") {
      line.bench = true;
    } else if (option == "--bench-effects") {
      line.benchEffects = true;
    } else if (option == "--bench-scene") {
      line.benchScene = true;
    } else if (option == "--frame-count") {
      line.frameCount = true;
    } else if (option == "--dev") {
      line.dev = true;
    } else if (takesValue(option)) {
      if (i + 1 >= arguments.size()) {
        result.error = "option " + option + " needs a value";
        return result;
      }
      if (!parseValueOption(option, arguments[++i], line, result.error)) return result;
    } else if (parseDialogOption(arguments, i, result)) {
      if (!result.error.empty()) return result;
    } else {
      result.error = "unknown option '" + option + "'";
      return result;
    }
  }
  result.error = combinationError(line);
  return result;
}

std::string usageText() {
  return "Usage: orvane [options]\n"
         "Plays the Orvane demo. Without options a setup dialog asks for the display settings.\n"
         "\n"
         "  --help               show this text and exit\n"
         "  --version            show the version and exit\n"
         "  --show DIR           play the show in DIR (the folder that holds data/); the\n"
         "                       environment variable ORVANE_SHOW=DIR does the same. Without\n"
         "                       either, the show is the first data/ found beside the program,\n"
         "                       in the install prefix's share/orvane, then in the working folder\n"
         "  --no-dialog          skip the setup dialog and use the default settings\n"
         "  --windowed WxH       play in a window of W x H pixels\n"
         "  --fullscreen WxH     play full screen in the display mode W x H\n"
         "  --fsaa N             anti-aliasing samples: 0, 2, 4 or 8\n"
         "  --aspect W:H         the screen's aspect ratio: 4:3, 16:9, 16:10 or 5:4\n"
         "  --low-quality        cheaper screen buffers and no anti-aliasing\n"
         "  --no-vsync           do not wait for the vertical retrace\n"
         "  --big-screen         full screen: a 3 s pause before the show and a brighter picture\n"
         "  --always-on-top      windowed: keep the window above all others\n"
         "  --frames N           quit with status 0 after N frames\n"
         "  --frames FIRST-LAST  with --capture or --bench: render only frames FIRST to LAST of\n"
         "                       the run that --start and --fps describe (files keep their\n"
         "                       numbers in the whole run)\n"
         "  --start SECONDS      start the show (and the music) at this time\n"
         "  --capture DIR        render every frame at a fixed step to DIR/000000.png ... plus\n"
         "                       DIR/audio.wav; a name ending in .mp4 or .mkv makes one video\n"
         "                       with the music, encoded while the frames are drawn (no PNG\n"
         "                       files)\n"
         "  --video-quality Q    with --capture: the video's encoding. archive (the default):\n"
         "                       H.264 at CRF 19, x264's ultrafast preset with deblocking,\n"
         "                       adaptive quantisation and CABAC; preview: CRF 23 and the plain\n"
         "                       ultrafast preset, 1.6 times as quick to encode; lossless:\n"
         "                       every pixel kept (x264's RGB mode at QP 0, large files). A\n"
         "                       capture folder records it for scripts/assemble\n"
         "  --bench              play at a fixed step without vsync and print frame-time statistics;\n"
         "                       with --capture also the frames written a second and the\n"
         "                       encoder's share of the time\n"
         "  --bench-plot FILE    with --bench: draw the frame times across the show as an SVG\n"
         "  --bench-json FILE    with --bench: write the statistics and costs as json\n"
         "  --bench-effects      with --bench: also time every effect pass (a glFinish around\n"
         "                       each, which slows the frames a little) and list the costliest\n"
         "  --frame-count        print how many frames --capture renders at --fps (and --start)\n"
         "                       and exit; a render farm splits the run by it\n"
         "  --fps N              frames per second of --capture, --bench or --frame-count (default 60)\n"
         "  --size WxH           picture size of --capture or --bench (default 1280x720)\n"
         "  --bench-scene        add two built-in procedural scenes (30 s, one per line) that\n"
         "                       need no data files besides the three fixed effects\n"
         "  --dev                author mode (with --windowed WxH or full screen): an overlay\n"
         "                       with time, scenes and post effects; Space pauses and resumes,\n"
         "                       Left/Right seek 1 s, Down/Up 10 s, Page Up/Page Down jump to the\n"
         "                       previous/next scene start, Home restarts, Tab hides and shows\n"
         "                       the panel and the timeline; the show holds its\n"
         "                       last frame instead of ending. Saved files reload in place:\n"
         "                       effect files, models (.mqo), Qel animations, textures, the\n"
         "                       running order (sceneLineDefine.txt), the post-effect table and\n"
         "                       the effect-texture table; a broken one keeps the old version\n"
         "  --loop N             play the show N times in a row on the music's clock (with or\n"
         "                       without --dev), printing the resident memory and the picture's\n"
         "                       drift from the music at the end of each pass (the soak)\n";
}
