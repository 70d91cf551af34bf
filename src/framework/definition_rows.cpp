// Row splitting for the definition files.
#include "framework/definition_rows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

std::vector<DefinitionRow> readDefinitionRows(std::FILE* file, std::size_t columnCount) {
  std::vector<DefinitionRow> rows;
  if (!file) {
    return rows;
  }
  char buffer[1024];
  u32 lineNumber = 1;
  bool inComment = false;  // the rest of a line whose first piece was discarded by a '#'
  while (std::fgets(buffer, sizeof buffer, file)) {
    const u32 thisLine = lineNumber;
    const std::string piece = buffer;
    const bool endsLine = !piece.empty() && piece.back() == '\n';
    if (endsLine) {
      ++lineNumber;
    }
    if (inComment) {
      // A comment longer than one read stays one comment.
      inComment = !endsLine;
      continue;
    }
    // A carriage return counts as a separator, so a row written with CR LF reads
    // like the same row written with LF, whatever blanks come before its end.
    std::vector<std::string> tokens;
    std::string current;
    for (char c : piece) {
      if (c == ' ' || c == '\t' || c == '\r') {
        if (!current.empty()) tokens.push_back(std::move(current));
        current.clear();
      } else {
        current.push_back(c);
      }
    }
    if (!current.empty()) tokens.push_back(std::move(current));
    const std::size_t kept = std::min(tokens.size(), columnCount);
    const bool commented =
        std::any_of(tokens.begin(), tokens.begin() + kept, [](const std::string& token) { return token[0] == '#'; });
    if (commented) {
      inComment = !endsLine;
      continue;
    }
    if (tokens.size() < columnCount) {
      continue;
    }
    std::vector<std::string> trailing;
    for (std::size_t i = columnCount; i < tokens.size() && tokens[i][0] != '#' && tokens[i][0] != '\n'; ++i) {
      if (tokens[i].back() == '\n') tokens[i].pop_back();  // the line's end is not part of a last column
      trailing.push_back(std::move(tokens[i]));
    }
    tokens.resize(columnCount);
    const bool skipped =
        std::any_of(tokens.begin(), tokens.end(), [](const std::string& token) { return token[0] == '\n'; });
    if (!skipped) {
      rows.push_back({thisLine, std::move(tokens), std::move(trailing)});
    }
  }
  return rows;
}

s32 definitionInteger(const std::string& text) {
  return static_cast<s32>(static_cast<u32>(std::strtoll(text.c_str(), nullptr, 10)));
}
