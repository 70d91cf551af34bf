// The running order's file format: one SceneDefInfo per accepted row of
// "data\definition\sceneLineDefine.txt" (Qel file, line, play window, two
// reserved columns, line shader).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "framework/types.h"

struct SceneDefInfo {
  std::string name;  // the Qel file, also the scene's name
  s32 line = 0;
  s32 windowStart = 0;  // > 0 overrides the start of play
  s32 windowEnd = 0;    // > 0 overrides the end of play
  s32 reserved1 = 0;
  s32 reserved2 = 0;
  std::string shader;  // "default": no line shader
  u32 fileLine = 0;    // where the row stands in its file, for messages
};

// Reads every accepted row. Every line meant as a row that is skipped (too few
// columns, a '#' column, a line other than 0 or 1, a name leaving the data
// folder) is reported on standard error with its file line.
std::vector<SceneDefInfo> readSceneDefinitions(std::FILE* file, const char* fileNameForMessages);
