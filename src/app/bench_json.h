// writeBenchJson: the bench's figures as a json file for tools — the summary,
// every scene and post-effect entry with its cost, and each frame's time.
#pragma once

#include <string>

#include "app/bench_figures.h"

std::string benchJson(const BenchFigures& figures);
// False when the file cannot be written.
bool writeBenchJson(const std::string& path, const BenchFigures& figures);
