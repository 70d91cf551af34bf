// Row splitting for the definition files.
#include "framework/definition_rows.h"

#include <algorithm>
#include <cstdlib>

std::vector<DefinitionRow> readDefinitionRows(std::FILE* file, std::size_t columnCount) {
  std::vector<DefinitionRow> rows;
  if (!file) {
    return rows;
  }
  char buffer[1024];
  u32 lineNumber = 1;
  while (std::fgets(buffer, sizeof buffer, file)) {
    const u32 thisLine = lineNumber;
    const std::string piece = buffer;
    if (!piece.empty() && piece.back() == '\n') {
      ++lineNumber;
    }
    std::vector<std::string> tokens;
    std::string current;
    for (char c : piece) {
      if (c == ' ' || c == '\t') {
        if (!current.empty()) tokens.push_back(std::move(current));
        current.clear();
      } else {
        current.push_back(c);
      }
    }
    if (!current.empty()) tokens.push_back(std::move(current));
    if (tokens.size() < columnCount) {
      continue;
    }
    tokens.resize(columnCount);
    const bool skipped = std::any_of(tokens.begin(), tokens.end(),
                                     [](const std::string& token) { return token[0] == '#' || token[0] == '\n'; });
    if (!skipped) {
      rows.push_back({thisLine, std::move(tokens)});
    }
  }
  return rows;
}

s32 definitionInteger(const std::string& text) {
  return static_cast<s32>(static_cast<u32>(std::strtoll(text.c_str(), nullptr, 10)));
}
