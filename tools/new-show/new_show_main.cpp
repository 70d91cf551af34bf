// orvane-new-show: writes a small show that plays at once into a new folder.
// Usage: orvane-new-show DIR [--music FILE]
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "new-show/new_show.h"

#ifndef ORVANE_INSTALLED_DATA_FOLDER
#define ORVANE_INSTALLED_DATA_FOLDER ""
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "Usage: orvane-new-show DIR [--music FILE]\n"
    "Writes a small show into DIR (new, or an empty folder): two scenes of a camera moving\n"
    "around a lit, textured model, the running order, a post-effect table with a grade and\n"
    "fades, the effect-texture table, the effects and textures they need, and the music as\n"
    "DIR/data/air.ogg: FILE (Ogg Vorbis or WAV) or, without --music, a generated 16 s track.\n"
    "The scenes share the music's length. Play it with: orvane --show DIR --dev --windowed 1280x720\n";

// The folder of this program, links resolved, for the shipped show's effects.
fs::path programFolder() {
  std::error_code failure;
  const fs::path self = fs::read_symlink("/proc/self/exe", failure);
  return failure ? fs::path() : self.parent_path();
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<std::string> folder;
  std::optional<fs::path> music;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argument == "--music" && i + 1 < argc && argv[i + 1][0] != '\0') {
      music = argv[++i];
    } else if (argument.empty() || argument[0] == '-' || folder) {
      std::fprintf(stderr, "orvane-new-show: unexpected '%s'\n%s", argument.c_str(), kUsage);
      return 2;
    } else {
      folder = argument;
    }
  }
  if (!folder) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::optional<fs::path> shipped = orvane::newshow::findShippedData(programFolder(), ORVANE_INSTALLED_DATA_FOLDER);
  if (!shipped) {
    std::fprintf(stderr, "orvane-new-show: the installed show's effects are missing (looked beside the program "
                         "and in share/orvane/data)\n");
    return 1;
  }
  const std::string error = orvane::newshow::writeNewShow(*folder, music, *shipped);
  if (!error.empty()) {
    std::fprintf(stderr, "orvane-new-show: %s\n", error.c_str());
    return 1;
  }
  std::printf("orvane-new-show: a new show in %s; play it with: orvane --show %s --dev --windowed 1280x720\n",
              folder->c_str(), folder->c_str());
  return 0;
}
