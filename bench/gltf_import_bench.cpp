// orvane-import's whole path on a generated glTF of 1,000,000 triangles (a wavy
// grid with texture coordinates, one node): reading and checks, conversion, and
// the model, effect and Qel files written into a show folder. Reports triangles
// per second and the process's peak resident memory (target: 5 s, 1 GB).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "import/gltf_source.h"
#include "import/scene_convert.h"
#include "import/show_folder.h"

namespace {

namespace fs = std::filesystem;
constexpr int kColumns = 1000;
constexpr int kRows = 500;
constexpr std::size_t kTriangles = static_cast<std::size_t>(kColumns) * kRows * 2;

void append(std::string& bytes, const void* data, std::size_t size) {
  bytes.append(static_cast<const char*>(data), size);
}

// A .glb: positions, texture coordinates and 32-bit indices in one binary chunk.
std::string writeScene(const fs::path& folder) {
  std::string bin;
  const std::size_t vertices = static_cast<std::size_t>(kColumns + 1) * (kRows + 1);
  for (int y = 0; y <= kRows; ++y)
    for (int x = 0; x <= kColumns; ++x) {
      const float p[3] = {x * 0.01f, ((x * 7 + y * 3) % 11) * 0.002f, y * 0.01f};
      append(bin, p, sizeof p);
    }
  const std::size_t uvOffset = bin.size();
  for (int y = 0; y <= kRows; ++y)
    for (int x = 0; x <= kColumns; ++x) {
      const float uv[2] = {x / float(kColumns), y / float(kRows)};
      append(bin, uv, sizeof uv);
    }
  const std::size_t indexOffset = bin.size();
  for (int y = 0; y < kRows; ++y)
    for (int x = 0; x < kColumns; ++x) {
      const std::uint32_t a = static_cast<std::uint32_t>(y * (kColumns + 1) + x), b = a + 1,
                          c = a + kColumns + 1, d = c + 1;
      const std::uint32_t tris[6] = {a, c, b, b, c, d};
      append(bin, tris, sizeof tris);
    }
  const std::string json =
      "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],"
      "\"nodes\":[{\"name\":\"grid\",\"mesh\":0}],"
      "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0,\"TEXCOORD_0\":1},\"indices\":2}]}],"
      "\"buffers\":[{\"byteLength\":" + std::to_string(bin.size()) + "}],"
      "\"bufferViews\":[{\"buffer\":0,\"byteOffset\":0,\"byteLength\":" + std::to_string(uvOffset) +
      "},{\"buffer\":0,\"byteOffset\":" + std::to_string(uvOffset) + ",\"byteLength\":" +
      std::to_string(indexOffset - uvOffset) + "},{\"buffer\":0,\"byteOffset\":" + std::to_string(indexOffset) +
      ",\"byteLength\":" + std::to_string(bin.size() - indexOffset) + "}],"
      "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":" + std::to_string(vertices) +
      ",\"type\":\"VEC3\",\"min\":[0,0,0],\"max\":[10,0.02,5]},{\"bufferView\":1,\"componentType\":5126,\"count\":" +
      std::to_string(vertices) + ",\"type\":\"VEC2\"},{\"bufferView\":2,\"componentType\":5125,\"count\":" +
      std::to_string(kTriangles * 3) + ",\"type\":\"SCALAR\"}]}";
  std::string j = json;
  while (j.size() % 4) j += ' ';
  std::string glb = "glTF";
  const std::uint32_t header[2] = {2, static_cast<std::uint32_t>(28 + j.size() + bin.size())};
  append(glb, header, sizeof header);
  const std::uint32_t jsonChunk[2] = {static_cast<std::uint32_t>(j.size()), 0x4E4F534Au};
  append(glb, jsonChunk, sizeof jsonChunk);
  glb += j;
  const std::uint32_t binChunk[2] = {static_cast<std::uint32_t>(bin.size()), 0x004E4942u};
  append(glb, binChunk, sizeof binChunk);
  glb += bin;
  const fs::path path = folder / "grid.glb";
  std::ofstream(path, std::ios::binary) << glb;
  return path.string();
}

void BM_ImportMillionTriangles(benchmark::State& state) {
  const fs::path folder = fs::temp_directory_path() / "orvane-bench-import";
  fs::remove_all(folder);
  fs::create_directories(folder / "show/data/definition");
  const std::string scene = writeScene(folder);
  for (auto _ : state) {
    const orvane::import::GltfSource source = orvane::import::loadGltf(scene);
    orvane::import::ImportOptions options;
    options.name = "grid";
    orvane::import::ConvertedScene converted = orvane::import::convertScene(source, options);
    std::string notice;
    orvane::import::writeIntoShow(std::move(converted), options, {}, (folder / "show").string(), "", notice);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["triangles/s"] = benchmark::Counter(static_cast<double>(kTriangles), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.counters["mqo_MB"] =
      static_cast<double>(fs::file_size(folder / "show/data/model/grid/grid.mqo")) / (1024.0 * 1024.0);
  fs::remove_all(folder);
}

}  // namespace

BENCHMARK(BM_ImportMillionTriangles)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK_MAIN();
