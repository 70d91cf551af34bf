// orvane-import: the command line around convertScene and writeIntoShow. Warnings
// go to standard error one line each; a refusal is one line and exit status 1.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "import/gltf_source.h"
#include "import/scene_convert.h"
#include "import/show_folder.h"

namespace {

const char* kHelp =
    "Usage: orvane-import [OPTIONS] SCENE DIR\n"
    "Turns a glTF 2.0 scene (.gltf with its files, or .glb) into a model, its pictures\n"
    "and effects, a Qel animation and a running-order row of the show in DIR. A DIR\n"
    "without data/ becomes a new show first (through orvane-new-show).\n"
    "\n"
    "  --name NAME     name of the model, animation and scenes (default: the file's name)\n"
    "  --line 0|1      the line that plays it (default: the line it played on, else\n"
    "                  a line no other row uses, 0 first; a line plays its last row only)\n"
    "  --at SECONDS    when it starts in the show (default 0)\n"
    "  --scale S       engine units per glTF metre (default 1)\n"
    "  --fps N         rate of the keys added where the player would stray (default 30)\n"
    "  --camera NAME   the camera node (or camera) to look through (default: the first)\n"
    "  --help          this text\n"
    "\n"
    "Importing the same name again replaces its model and animation. See docs/importing.md.\n";

bool number(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(value);
}

int usage(const std::string& problem) {
  std::fprintf(stderr, "orvane-import: %s (see --help)\n", problem.c_str());
  return 1;
}

std::string selfPath(const char* argv0) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(argv0) : self.string();
}

}  // namespace

int main(int argc, char** argv) {
  orvane::import::ImportOptions options;
  orvane::import::Placement placement;
  std::string scenePath, dir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](double& out, double low, double high) {
      if (i + 1 >= argc || !number(argv[i + 1], out) || out < low || out > high) return false;
      ++i;
      return true;
    };
    double v = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (arg == "--name") {
      if (i + 1 >= argc) return usage("--name needs a name");
      options.name = argv[++i];
    } else if (arg == "--camera") {
      if (i + 1 >= argc) return usage("--camera needs a name");
      options.camera = argv[++i];
    } else if (arg == "--line") {
      if (!value(v, 0, 1) || (v != 0 && v != 1)) return usage("--line takes 0 or 1");
      placement.line = static_cast<int>(v);
    } else if (arg == "--at") {
      if (!value(v, 0, 100000)) return usage("--at takes seconds from 0 to 100000");
      placement.at = v;
    } else if (arg == "--scale") {
      if (!value(v, 1e-6, 1e6)) return usage("--scale takes a number from 0.000001 to 1000000");
      options.scale = v;
    } else if (arg == "--fps") {
      if (!value(v, 1, 1000)) return usage("--fps takes a rate from 1 to 1000");
      options.fps = v;
    } else if (!arg.empty() && arg[0] == '-') {
      return usage("unknown option " + arg);
    } else if (scenePath.empty()) {
      scenePath = arg;
    } else if (dir.empty()) {
      dir = arg;
    } else {
      return usage("one scene and one folder are expected");
    }
  }
  if (scenePath.empty() || dir.empty()) return usage("a scene and a show folder are expected");
  if (options.name.empty()) options.name = std::filesystem::path(scenePath).stem().string();
  // The name becomes file names and a word of the running order.
  for (char c : options.name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-')
      return usage("the name \"" + options.name + "\" may hold only letters, digits, '_' and '-' (use --name)");
  }
  if (options.name.empty() || options.name.size() > 64) return usage("the name must have 1 to 64 characters");
  try {
    const orvane::import::GltfSource source = orvane::import::loadGltf(scenePath);
    orvane::import::ConvertedScene scene = orvane::import::convertScene(source, options);
    for (const std::string& warning : scene.warnings)
      std::fprintf(stderr, "orvane-import: warning: %s: %s\n", scenePath.c_str(), warning.c_str());
    const std::size_t triangles = scene.triangles;
    const std::size_t scenes = scene.qel.scenes.size();
    const double seconds = scene.seconds;
    std::string notice;
    const int line =
        orvane::import::writeIntoShow(std::move(scene), options, placement, dir, selfPath(argv[0]), notice);
    if (!notice.empty()) std::fprintf(stderr, "orvane-import: warning: %s: %s\n", dir.c_str(), notice.c_str());
    std::printf("orvane-import: %s: %zu triangles, %zu scene%s, %.2f s, into %s as \"%s\" on line %d\n",
                scenePath.c_str(), triangles, scenes, scenes == 1 ? "" : "s", seconds, dir.c_str(),
                options.name.c_str(), line);
  } catch (const orvane::import::ImportError& e) {
    std::fprintf(stderr, "orvane-import: %s\n", e.message.c_str());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "orvane-import: %s: not enough memory\n", scenePath.c_str());
    return 1;
  } catch (const std::exception& e) {
    // Checks above should leave nothing for here; should one slip, still one line.
    std::fprintf(stderr, "orvane-import: %s: cannot be imported (%s)\n", scenePath.c_str(), e.what());
    return 1;
  }
  return 0;
}
