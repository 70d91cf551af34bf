// Where the checkout lives; the path is compiled into this file alone.
#include "support/source_dir.h"

#include <fstream>
#include <iterator>

const char* orvaneSourceDir() { return ORVANE_SOURCE_DIR; }

std::string testData(const std::string& relative) {
  std::ifstream file(std::string(ORVANE_SOURCE_DIR) + "/tests/data/" + relative, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
