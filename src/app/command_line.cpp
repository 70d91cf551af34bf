// Parsing and validation of the program's options.
#include "app/command_line.h"

#include <charconv>

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
  if (fsaaSamples) {
    settings.fsaaSamples = *fsaaSamples;
  }
}

CommandLineResult parseCommandLine(const std::vector<std::string>& arguments) {
  CommandLineResult result;
  CommandLine& line = result.commandLine;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    auto needValue = [&](std::string& value) {
      if (i + 1 >= arguments.size()) {
        result.error = "option " + option + " needs a value";
        return false;
      }
      value = arguments[++i];
      return true;
    };
    std::string value;
    if (option == "--help" || option == "-h") {
      line.help = true;
    } else if (option == "--version") {
      line.version = true;
    } else if (option == "--no-dialog") {
      line.noDialog = true;
    } else if (option == "--windowed" || option == "--fullscreen") {
      if (!needValue(value)) return result;
      std::pair<int, int> size;
      if (!parseSize(value, size)) {
        result.error = "option " + option + " takes WIDTHxHEIGHT, not '" + value + "'";
        return result;
      }
      (option == "--windowed" ? line.windowed : line.fullscreen) = size;
    } else if (option == "--fsaa") {
      if (!needValue(value)) return result;
      long samples = -1;
      if (!parseInteger(value, samples) || (samples != 0 && samples != 2 && samples != 4 && samples != 8)) {
        result.error = "option --fsaa takes 0, 2, 4 or 8, not '" + value + "'";
        return result;
      }
      line.fsaaSamples = static_cast<int>(samples);
    } else if (option == "--frames") {
      if (!needValue(value)) return result;
      long frames = 0;
      if (!parseInteger(value, frames) || frames < 1) {
        result.error = "option --frames takes a positive count, not '" + value + "'";
        return result;
      }
      line.frames = frames;
    } else {
      result.error = "unknown option '" + option + "'";
      return result;
    }
  }
  if (line.windowed && line.fullscreen) {
    result.error = "--windowed and --fullscreen exclude each other";
  }
  return result;
}

std::string usageText() {
  return "Usage: orvane [options]\n"
         "Plays the Orvane demo. Without options a setup dialog asks for the display settings.\n"
         "\n"
         "  --help               show this text and exit\n"
         "  --version            show the version and exit\n"
         "  --no-dialog          skip the setup dialog and use the default settings\n"
         "  --windowed WxH       play in a window of W x H pixels\n"
         "  --fullscreen WxH     play full screen in the display mode W x H\n"
         "  --fsaa N             anti-aliasing samples: 0, 2, 4 or 8\n"
         "  --frames N           quit with status 0 after N frames\n";
}
