// Holds the code to the layers docs/layers.txt describes: every #include under
// src/ must point down an allowed arrow, and only the platform layer may include
// the system libraries' headers (GL, SDL, FreeType, stb, vorbis, ...).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/source_dir.h"

namespace {

struct Layers {
  std::map<std::string, std::set<std::string>> mayInclude;  // layer -> layers below it
  std::vector<std::string> platformOnlyPrefixes;
  std::string platformLayer;
};

Layers parseLayers(std::istream& in) {
  Layers layers;
  const std::regex layerLine(R"(^layer\s+(\w+):\s*(.*)$)");
  const std::regex systemLine(R"(^system-only\s+(\w+):\s*(.*)$)");
  std::string line;
  while (std::getline(in, line)) {
    std::smatch match;
    if (std::regex_match(line, match, layerLine)) {
      std::istringstream names(match[2].str());
      std::set<std::string>& below = layers.mayInclude[match[1].str()];
      for (std::string name; names >> name;) below.insert(name);
    } else if (std::regex_match(line, match, systemLine)) {
      layers.platformLayer = match[1].str();
      std::istringstream prefixes(match[2].str());
      for (std::string prefix; prefixes >> prefix;) layers.platformOnlyPrefixes.push_back(prefix);
    }
  }
  return layers;
}

// A cycle in the description would let two layers include each other.
std::string findCycle(const Layers& layers) {
  std::map<std::string, int> state;  // 0 unseen, 1 on the path, 2 done
  std::string cycle;
  std::function<bool(const std::string&)> visit = [&](const std::string& layer) {
    if (state[layer] == 1) {
      cycle = layer;
      return true;
    }
    if (state[layer] == 2) return false;
    state[layer] = 1;
    const auto found = layers.mayInclude.find(layer);
    if (found != layers.mayInclude.end()) {
      for (const std::string& below : found->second) {
        if (visit(below)) return true;
      }
    }
    state[layer] = 2;
    return false;
  };
  for (const auto& [layer, below] : layers.mayInclude) {
    if (visit(layer)) return cycle;
  }
  return {};
}

struct SourceFile {
  std::string path;  // relative to src/, e.g. "render/mqo_render.cpp"
  std::string text;
};

// One line per include that breaks the description.
std::vector<std::string> violations(const Layers& layers, const std::vector<SourceFile>& files, int* pIncludes) {
  std::vector<std::string> found;
  const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  int includes = 0;
  for (const SourceFile& file : files) {
    const std::string layer = file.path.substr(0, file.path.find('/'));
    const auto known = layers.mayInclude.find(layer);
    if (known == layers.mayInclude.end() || file.path.find('/') == std::string::npos) {
      found.push_back("src/" + file.path + ": the folder '" + layer + "' is no layer of docs/layers.txt");
      continue;
    }
    std::istringstream lines(file.text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
      std::smatch match;
      if (!std::regex_search(line, match, include)) continue;
      ++includes;
      const std::string target = match[2].str();
      const std::string where = "src/" + file.path + ":" + std::to_string(number) + " includes " + target;
      if (match[1].str() == "<") {
        if (layer == layers.platformLayer) continue;
        for (const std::string& prefix : layers.platformOnlyPrefixes) {
          if (target.compare(0, prefix.size(), prefix) == 0) {
            found.push_back(where + ": only " + layers.platformLayer + " may include system library headers");
            break;
          }
        }
        continue;
      }
      const std::size_t slash = target.find('/');
      if (slash == std::string::npos) continue;  // beside the including file
      const std::string targetLayer = target.substr(0, slash);
      if (targetLayer != layer && !known->second.count(targetLayer)) {
        found.push_back(where + ": " + layer + " may not include " + targetLayer);
      }
    }
  }
  if (pIncludes) *pIncludes = includes;
  return found;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

Layers shippedLayers() {
  std::ifstream in(std::string(orvaneSourceDir()) + "/docs/layers.txt");
  return parseLayers(in);
}

TEST(Layering, TheCheckerCatchesUpwardArrowsStrayFoldersAndSystemHeaders) {
  std::istringstream description(
      "layer app: demo platform\nlayer demo: platform\nlayer platform:\nsystem-only platform: GL/ SDL\n");
  const Layers layers = parseLayers(description);
  const std::vector<SourceFile> files{
      {"demo/a.cpp", "#include \"demo/a.h\"\n#include \"platform/gl.h\"\n#include <vector>\n"},
      {"demo/b.cpp", "// x\n  #  include \"app/window.h\"\n"},
      {"app/c.cpp", "#include <GL/glew.h>\n"},
      {"platform/d.cpp", "#include <SDL.h>\n#include \"app/e.h\"\n"},
      {"misc/f.cpp", "#include <vector>\n"},
  };
  int includes = 0;
  const std::vector<std::string> found = violations(layers, files, &includes);
  EXPECT_EQ(joined(found),
            "src/demo/b.cpp:2 includes app/window.h: demo may not include app\n"
            "src/app/c.cpp:1 includes GL/glew.h: only platform may include system library headers\n"
            "src/platform/d.cpp:2 includes app/e.h: platform may not include app\n"
            "src/misc/f.cpp: the folder 'misc' is no layer of docs/layers.txt\n");
  EXPECT_EQ(includes, 7);

  std::istringstream circular("layer a: b\nlayer b: c\nlayer c: a\n");
  EXPECT_FALSE(findCycle(parseLayers(circular)).empty());
}

TEST(Layering, EveryIncludeUnderSrcPointsDownTheLayers) {
  const Layers layers = shippedLayers();
  ASSERT_GE(layers.mayInclude.size(), 8u) << "docs/layers.txt is missing or unreadable";
  ASSERT_FALSE(layers.platformOnlyPrefixes.empty());
  EXPECT_EQ(findCycle(layers), "") << "docs/layers.txt lets layers include each other";

  std::vector<SourceFile> files;
  const std::filesystem::path src = std::string(orvaneSourceDir()) + "/src";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
    std::ifstream in(entry.path());
    std::ostringstream text;
    text << in.rdbuf();
    files.push_back({std::filesystem::relative(entry.path(), src).generic_string(), text.str()});
  }
  std::sort(files.begin(), files.end(), [](const SourceFile& a, const SourceFile& b) { return a.path < b.path; });
  int includes = 0;
  const std::vector<std::string> found = violations(layers, files, &includes);
  // A walk that read nothing would pass; the tree has hundreds of files.
  EXPECT_GT(files.size(), 200u);
  EXPECT_GT(includes, 1000);
  EXPECT_TRUE(found.empty()) << joined(found);
}

}  // namespace
