// Parsing of the running order.
#include "demo/scene_definitions.h"

#include "framework/definition_rows.h"
#include "framework/shell_path.h"

std::vector<SceneDefInfo> readSceneDefinitions(std::FILE* file, const char* fileNameForMessages) {
  std::vector<SceneDefInfo> infos;
  const char* where = fileNameForMessages ? fileNameForMessages : "scene definitions";
  std::vector<DefinitionSkip> skipped;
  std::vector<DefinitionRow> rows = readDefinitionRows(file, 7, &skipped);
  for (const DefinitionSkip& skip : skipped) {
    std::fprintf(stderr, "%s: line %u: the row %s; row skipped\n", where, skip.lineNumber, skip.reason.c_str());
  }
  for (DefinitionRow& row : rows) {
    SceneDefInfo info;
    info.name = std::move(row.columns[0]);
    info.line = definitionInteger(row.columns[1]);
    info.windowStart = definitionInteger(row.columns[2]);
    info.windowEnd = definitionInteger(row.columns[3]);
    info.reserved1 = definitionInteger(row.columns[4]);
    info.reserved2 = definitionInteger(row.columns[5]);
    info.shader = std::move(row.columns[6]);
    info.fileLine = row.lineNumber;
    if (!info.shader.empty() && info.shader.back() == '\r') {
      info.shader.pop_back();
    } else if (!info.shader.empty() && info.shader.back() == '\n') {
      info.shader.pop_back();
      if (!info.shader.empty() && info.shader.back() == '\r') info.shader.pop_back();
    }
    if (info.line != 0 && info.line != 1) {
      std::fprintf(stderr, "%s: line %u: scene line %d is not 0 or 1; row \"%s\" skipped\n",
                   fileNameForMessages ? fileNameForMessages : "scene definitions", row.lineNumber, info.line,
                   info.name.c_str());
      continue;
    }
    // The Qel file and the line's effect ("data\shader\" + name + ".fx") must stay
    // in the data folder.
    const std::string nameRefusal = paths::dataNameRefusal("", info.name);
    const std::string refusal =
        nameRefusal.empty() ? paths::dataNameRefusal("data\\shader\\", info.shader + ".fx") : nameRefusal;
    if (!refusal.empty()) {
      std::fprintf(stderr, "%s: line %u: the file name \"%s\" %s and is refused; row skipped\n",
                   fileNameForMessages ? fileNameForMessages : "scene definitions", row.lineNumber,
                   (nameRefusal.empty() ? info.shader : info.name).c_str(), refusal.c_str());
      continue;
    }
    infos.push_back(std::move(info));
  }
  return infos;
}
