// Parsing of the post-effect table; start, end and order are taken as unsigned.
#include "screen/post_effect_definitions.h"

#include <algorithm>

#include "framework/definition_rows.h"

std::vector<PostEffectEntry> readPostEffectDefinitions(std::FILE* file, std::vector<DefinitionSkip>* skipped) {
  std::vector<PostEffectEntry> entries;
  for (DefinitionRow& row : readDefinitionRows(file, 6, skipped)) {
    PostEffectEntry entry;
    entry.effectFile = std::move(row.columns[0]);
    entry.start = static_cast<u32>(definitionInteger(row.columns[1]));
    entry.end = static_cast<u32>(definitionInteger(row.columns[2]));
    entry.order = static_cast<u32>(definitionInteger(row.columns[3]));
    entry.pass = definitionInteger(row.columns[4]);
    entry.bufferID = definitionInteger(row.columns[5]);
    entry.line = row.lineNumber;
    if (!row.trailing.empty() && row.trailing[0].rfind("1/", 0) == 0) {
      const std::string& size = row.trailing[0];
      entry.outputDivisor = size == "1/1" ? 1 : size == "1/2" ? 2 : size == "1/4" ? 4 : size == "1/8" ? 8 : 0;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

void sortPostEffectEntries(std::vector<PostEffectEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const PostEffectEntry& a, const PostEffectEntry& b) { return a.order < b.order; });
}
