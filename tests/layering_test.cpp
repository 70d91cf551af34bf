// Holds the code to the layers docs/layers.txt describes: every #include under
// src/ must point down an allowed arrow, and only the platform layer may include
// the system libraries' headers (GL, SDL, FreeType, stb, vorbis, ...).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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
  const std::regex entry(R"(^(layer|system-only)\s+(\w+):\s*(.*)$)");
  std::smatch match;
  for (std::string line; std::getline(in, line);) {
    if (!std::regex_match(line, match, entry)) continue;
    std::istringstream names(match[3].str());
    const bool isLayer = match[1].str() == "layer";
    if (!isLayer) layers.platformLayer = match[2].str();
    std::set<std::string>& below = layers.mayInclude[match[2].str()];
    for (std::string name; names >> name;) {
      if (isLayer) below.insert(name);
      else layers.platformOnlyPrefixes.push_back(name);
    }
  }
  return layers;
}

// A layer that reaches itself down the arrows could be included by what it includes.
bool hasCycle(const Layers& layers) {
  for (const auto& [start, direct] : layers.mayInclude) {
    std::set<std::string> reached;
    std::vector<std::string> open(direct.begin(), direct.end());
    while (!open.empty()) {
      const std::string layer = open.back();
      open.pop_back();
      if (layer == start) return true;
      if (!reached.insert(layer).second) continue;
      const auto found = layers.mayInclude.find(layer);
      if (found != layers.mayInclude.end()) open.insert(open.end(), found->second.begin(), found->second.end());
    }
  }
  return false;
}

struct SourceFile {
  std::string path;  // relative to src/, e.g. "render/mqo_render.cpp"
  std::string text;
};

// One line per include that breaks the description; `includes` counts those read.
std::string violations(const Layers& layers, const std::vector<SourceFile>& files, int& includes) {
  std::string found;
  const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  for (const SourceFile& file : files) {
    const std::string layer = file.path.substr(0, file.path.find('/'));
    const auto known = layers.mayInclude.find(layer);
    if (known == layers.mayInclude.end() || file.path.find('/') == std::string::npos) {
      found += "src/" + file.path + ": the folder '" + layer + "' is no layer of docs/layers.txt\n";
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
        const auto& prefixes = layers.platformOnlyPrefixes;
        if (layer != layers.platformLayer && std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) {
              return target.compare(0, p.size(), p) == 0;
            })) {
          found += where + ": only " + layers.platformLayer + " may include system library headers\n";
        }
        continue;
      }
      const std::size_t slash = target.find('/');
      if (slash == std::string::npos) continue;  // beside the including file
      const std::string targetLayer = target.substr(0, slash);
      if (targetLayer != layer && !known->second.count(targetLayer)) {
        found += where + ": " + layer + " may not include " + targetLayer + "\n";
      }
    }
  }
  return found;
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
  EXPECT_EQ(violations(layers, files, includes),
            "src/demo/b.cpp:2 includes app/window.h: demo may not include app\n"
            "src/app/c.cpp:1 includes GL/glew.h: only platform may include system library headers\n"
            "src/platform/d.cpp:2 includes app/e.h: platform may not include app\n"
            "src/misc/f.cpp: the folder 'misc' is no layer of docs/layers.txt\n");
  EXPECT_EQ(includes, 7);
  EXPECT_FALSE(hasCycle(layers));
  std::istringstream circular("layer a: b\nlayer b: c\nlayer c: a\n");
  EXPECT_TRUE(hasCycle(parseLayers(circular)));
}

TEST(Layering, EveryIncludeUnderSrcPointsDownTheLayers) {
  std::ifstream in(std::string(orvaneSourceDir()) + "/docs/layers.txt");
  const Layers layers = parseLayers(in);
  ASSERT_GE(layers.mayInclude.size(), 8u) << "docs/layers.txt is missing or unreadable";
  ASSERT_FALSE(layers.platformOnlyPrefixes.empty());
  EXPECT_FALSE(hasCycle(layers)) << "docs/layers.txt lets layers include each other";

  std::vector<SourceFile> files;
  const std::filesystem::path src = std::string(orvaneSourceDir()) + "/src";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
    std::ifstream source(entry.path());
    std::ostringstream text;
    text << source.rdbuf();
    files.push_back({std::filesystem::relative(entry.path(), src).generic_string(), text.str()});
  }
  std::sort(files.begin(), files.end(), [](const SourceFile& a, const SourceFile& b) { return a.path < b.path; });
  int includes = 0;
  // A walk that read nothing would pass; the tree has hundreds of files.
  EXPECT_EQ(violations(layers, files, includes), "");
  EXPECT_GT(files.size(), 200u);
  EXPECT_GT(includes, 1000);
}

}  // namespace
