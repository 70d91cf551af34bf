// Reading and mesh building of a large Metasequoia model (no GL, no display lists):
// a generated grid of 1,000,000 triangles, half from quads and half written as
// triangles, in two materials. Reports faces per second and the peak memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "resource/mqo_model.h"

namespace {

constexpr int kColumns = 1000;
constexpr int kRows = 500;
// Every other cell is one quad (two triangles), the rest two triangles: 1,000,000
// triangles after the quads are split, from 750,000 faces in the file.
constexpr std::size_t kTriangles = static_cast<std::size_t>(kColumns) * kRows * 2;
constexpr std::size_t kFileFaces = static_cast<std::size_t>(kColumns) * kRows / 2 * 3;

std::string writeModel() {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "orvane-bench-grid.mqo";
  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  if (!pFile) return std::string();
  std::fprintf(pFile,
               "Metasequoia Document\nFormat Text Ver 1.0\n\nScene {\n\tpos 0 0 1500\n}\n"
               "Material 2 {\n\t\"quads\" shader(3) col(1 0 0 1) dif(0.8) amb(0.6) emi(0) spc(0) power(5)\n"
               "\t\"triangles\" shader(3) col(0 1 0 1) dif(0.8) amb(0.6) emi(0) spc(0) power(5)\n}\n"
               "Object \"grid\" {\n\tdepth 0\n\tfacet 59.5\n\tcolor 1 1 1\n\tvertex %d {\n",
               (kColumns + 1) * (kRows + 1));
  for (int y = 0; y <= kRows; ++y) {
    for (int x = 0; x <= kColumns; ++x) {
      // A gentle wave so that the facet rule has real angles to judge.
      std::fprintf(pFile, "\t\t%.4f %.4f %.4f\n", x * 10.0, ((x * 7 + y * 3) % 11) * 1.5, y * 10.0);
    }
  }
  std::fprintf(pFile, "\t}\n\tface %zu {\n", kFileFaces);
  for (int y = 0; y < kRows; ++y) {
    for (int x = 0; x < kColumns; ++x) {
      const int a = y * (kColumns + 1) + x;
      const int b = a + 1;
      const int c = a + kColumns + 2;
      const int d = a + kColumns + 1;
      const double u0 = static_cast<double>(x) / kColumns, u1 = static_cast<double>(x + 1) / kColumns;
      const double v0 = static_cast<double>(y) / kRows, v1 = static_cast<double>(y + 1) / kRows;
      if ((x + y) % 2 == 0) {
        std::fprintf(pFile, "\t\t4 V(%d %d %d %d) M(0) UV(%.5f %.5f %.5f %.5f %.5f %.5f %.5f %.5f)\n", a, b, c, d, u0,
                     v0, u1, v0, u1, v1, u0, v1);
      } else {
        std::fprintf(pFile, "\t\t3 V(%d %d %d) M(1) UV(%.5f %.5f %.5f %.5f %.5f %.5f)\n", a, b, c, u0, v0, u1, v0, u1,
                     v1);
        std::fprintf(pFile, "\t\t3 V(%d %d %d) M(1) UV(%.5f %.5f %.5f %.5f %.5f %.5f)\n", a, c, d, u0, v0, u1, v1, u0,
                     v1);
      }
    }
  }
  std::fprintf(pFile, "\t}\n}\nEof\n");
  std::fclose(pFile);
  return path.string();
}

void BM_MqoParseAndBuild(benchmark::State& state) {
  static const std::string path = writeModel();
  if (path.empty()) {
    state.SkipWithError("cannot write the model");
    return;
  }
  std::size_t triangles = 0;
  for (auto _ : state) {
    MqoModel model;
    if (!model.read(path)) {
      state.SkipWithError(model.error().c_str());
      return;
    }
    triangles = model.objects.at(0).faceNum;
    benchmark::DoNotOptimize(model.objects.data());
  }
  if (triangles != kTriangles) {
    state.SkipWithError("the model did not build into the expected triangles");
    return;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["triangles/s"] =
      benchmark::Counter(static_cast<double>(kTriangles), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["fileFaces/s"] =
      benchmark::Counter(static_cast<double>(kFileFaces), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peakMiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.counters["fileMiB"] = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
}
BENCHMARK(BM_MqoParseAndBuild)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
