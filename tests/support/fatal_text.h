// Turns a fatal text into a regular expression that matches it literally, for
// death tests (the texts are full of brackets, quotes and backslashes).
#pragma once

#include <string>

inline std::string literalPattern(const std::string& text) {
  std::string pattern;
  for (char c : text) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) {
      pattern += '\\';
    }
    pattern += c;
  }
  return pattern;
}
