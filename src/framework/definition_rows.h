// Rows of the show's definition files: lines read in 1023-character pieces, split
// at blanks and carriage returns; a row needs its first N columns, none starting
// with '#' (which discards the whole line) or a line feed. Shared by the running
// order and the post-effect table.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "framework/types.h"

struct DefinitionRow {
  u32 lineNumber = 0;               // 1-based line of the file where the row starts
  std::vector<std::string> columns;  // exactly the first N tokens
  std::vector<std::string> trailing;  // the tokens after them, up to one starting with '#'
};

std::vector<DefinitionRow> readDefinitionRows(std::FILE* file, std::size_t columnCount);

// The C library's decimal conversion: leading blanks and a sign, digits up to the
// first other character, 0 without digits; wraps to 32 bits.
s32 definitionInteger(const std::string& text);
