// writeBenchPlot: the bench's frame times across the show's timeline as an SVG
// picture — the scenes as bands behind the curve, and lines at 16.7 and 33.3 ms.
#pragma once

#include <string>

#include "app/bench_figures.h"

std::string benchPlotSvg(const BenchFigures& figures);
// False when the file cannot be written.
bool writeBenchPlot(const std::string& path, const BenchFigures& figures);
