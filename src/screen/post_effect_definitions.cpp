// Parsing of the post-effect table. Numbers follow the C library's decimal
// conversion: leading blanks and a sign, digits up to the first other character,
// 0 without digits; start, end and order are then taken as unsigned.
#include "screen/post_effect_definitions.h"

#include <algorithm>
#include <cstdlib>

namespace {

s32 decimal(const std::string& token) {
  return static_cast<s32>(static_cast<u32>(std::strtoll(token.c_str(), nullptr, 10)));
}

std::vector<std::string> splitTokens(const char* line) {
  std::vector<std::string> tokens;
  std::string current;
  for (const char* c = line; *c; ++c) {
    if (*c == ' ' || *c == '\t') {
      if (!current.empty()) {
        tokens.push_back(current);
        current.clear();
      }
    } else {
      current.push_back(*c);
    }
  }
  if (!current.empty()) {
    tokens.push_back(current);
  }
  return tokens;
}

}  // namespace

std::vector<PostEffectEntry> readPostEffectDefinitions(std::FILE* file) {
  std::vector<PostEffectEntry> entries;
  if (!file) {
    return entries;
  }
  char line[1024];
  while (std::fgets(line, sizeof line, file)) {
    const std::vector<std::string> tokens = splitTokens(line);
    if (tokens.size() < 6) {
      continue;
    }
    const bool skipped = std::any_of(tokens.begin(), tokens.begin() + 6,
                                     [](const std::string& token) { return token[0] == '#' || token[0] == '\n'; });
    if (skipped) {
      continue;
    }
    PostEffectEntry entry;
    entry.effectFile = tokens[0];
    entry.start = static_cast<u32>(decimal(tokens[1]));
    entry.end = static_cast<u32>(decimal(tokens[2]));
    entry.order = static_cast<u32>(decimal(tokens[3]));
    entry.pass = decimal(tokens[4]);
    entry.bufferID = decimal(tokens[5]);
    entries.push_back(std::move(entry));
  }
  return entries;
}

void sortPostEffectEntries(std::vector<PostEffectEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const PostEffectEntry& a, const PostEffectEntry& b) { return a.order < b.order; });
}
