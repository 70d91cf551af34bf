// The post-effect table's file format: one entry per accepted line (effect file,
// start, end, order, pass, output buffer), sorted by order with ties in file order.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "framework/definition_rows.h"
#include "framework/types.h"

class resShader;

struct PostEffectEntry {
  u32 start = 0;
  u32 end = 0;
  std::string effectFile;  // relative to data\shader\, extension included
  u32 order = 0;
  s32 pass = -1;           // -1: every pass of the technique
  s32 bufferID = -1;       // -1: the composite screen, 0..3: work screens
  // The optional seventh column, "1/2", "1/4" or "1/8": a work screen this
  // entry writes has that fraction of the window's width and height. 1 without
  // the column; 0 for a seventh column that starts with "1/" but is none of them.
  u32 outputDivisor = 1;
  resShader* pEffect = nullptr;  // a held reference once loaded
  u32 line = 0;                  // of the table, for messages
};

// Reads an open text file to its end. Lines with fewer than six tokens, or whose
// first six tokens include one beginning with '#' or a line feed, are skipped.
// A seventh token is the output size only when it starts with "1/"; any other
// is ignored, as tables without the column always had it.
// `skipped` gets the lines meant as entries that are not, and why.
std::vector<PostEffectEntry> readPostEffectDefinitions(std::FILE* file, std::vector<DefinitionSkip>* skipped = nullptr);

// Stable sort by order, compared as unsigned.
void sortPostEffectEntries(std::vector<PostEffectEntry>& entries);
