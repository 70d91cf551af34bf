// Row splitting for the definition files.
#include "framework/definition_rows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

bool readWholeLine(std::FILE* file, std::string& line) {
  line.clear();
  if (!file) return false;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, file)) {
    line += buffer;
    if (!line.empty() && line.back() == '\n') return true;
  }
  return !line.empty();
}

std::vector<DefinitionRow> readDefinitionRows(std::FILE* file, std::size_t columnCount,
                                              std::vector<DefinitionSkip>* skipped) {
  std::vector<DefinitionRow> rows;
  std::string line;
  for (u32 lineNumber = 1; readWholeLine(file, line); ++lineNumber) {
    // A carriage return counts as a separator, so a row written with CR LF reads
    // like the same row written with LF, whatever blanks come before its end.
    std::vector<std::string> tokens;
    std::string current;
    for (char c : line) {
      if (c == ' ' || c == '\t' || c == '\r') {
        if (!current.empty()) tokens.push_back(std::move(current));
        current.clear();
      } else {
        current.push_back(c);
      }
    }
    if (!current.empty()) tokens.push_back(std::move(current));
    // The line's own end is no column.
    if (!tokens.empty() && tokens.back() == "\n") tokens.pop_back();
    if (!tokens.empty() && tokens.back().back() == '\n') tokens.back().pop_back();
    if (tokens.empty() || tokens[0][0] == '#') continue;  // blank or comment

    auto skip = [&](std::string reason) {
      if (skipped) skipped->push_back({lineNumber, std::move(reason)});
    };
    const std::size_t kept = std::min(tokens.size(), columnCount);
    const auto comment =
        std::find_if(tokens.begin(), tokens.begin() + kept, [](const std::string& token) { return token[0] == '#'; });
    if (comment != tokens.begin() + kept) {
      skip("column " + std::to_string(comment - tokens.begin() + 1) + " starts with '#', which discards the row");
      continue;
    }
    if (tokens.size() < columnCount) {
      skip("has " + std::to_string(tokens.size()) + " of the " + std::to_string(columnCount) + " columns");
      continue;
    }
    std::vector<std::string> trailing;
    for (std::size_t i = columnCount; i < tokens.size() && tokens[i][0] != '#'; ++i) {
      trailing.push_back(std::move(tokens[i]));
    }
    tokens.resize(columnCount);
    rows.push_back({lineNumber, std::move(tokens), std::move(trailing)});
  }
  return rows;
}

s32 definitionInteger(const std::string& text) {
  return static_cast<s32>(static_cast<u32>(std::strtoll(text.c_str(), nullptr, 10)));
}
