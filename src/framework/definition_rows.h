// Rows of the show's three definition tables: whole lines however long, split at
// blanks; a row needs its first N columns, none starting with '#' (which discards
// the row), and a line meant as a row that is not one is reported with why.
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

// A line that looks meant as a row (its first token is not a comment) but is
// not one, and why ("has 3 of the 6 columns").
struct DefinitionSkip {
  u32 lineNumber = 0;
  std::string reason;
};

// The next line of the file, line feed included, however long; false at the end.
// Tables are read with this so that a long line, a comment included, stays one
// line instead of going on as another row in the next buffer's worth.
bool readWholeLine(std::FILE* file, std::string& line);

std::vector<DefinitionRow> readDefinitionRows(std::FILE* file, std::size_t columnCount,
                                              std::vector<DefinitionSkip>* skipped = nullptr);

// The C library's decimal conversion: leading blanks and a sign, digits up to the
// first other character, 0 without digits; wraps to 32 bits.
s32 definitionInteger(const std::string& text);
