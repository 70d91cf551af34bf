// Reading a glTF 2.0 file (.gltf with its buffers and pictures, or .glb) through
// tinygltf, with the checks that keep a damaged or hostile file from reaching
// past its data: nesting depth, chunk sizes, paths, indices and accessor ranges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <tiny_gltf.h>

namespace orvane::import {

// A refusal: one line naming the file, the element and the problem.
struct ImportError {
  std::string message;
};

struct GltfSource {
  std::string path;  // as given, for messages
  tinygltf::Model model;
  std::vector<std::string> warnings;
};

// Loads and checks the file; throws ImportError. Files and the JSON nesting are
// bounded before anything is parsed.
GltfSource loadGltf(const std::string& path);
// The same from bytes already in memory (the fuzz target): external files are
// looked up in `folder`, or refused when it is empty.
GltfSource loadGltfFromMemory(const std::vector<unsigned char>& bytes, const std::string& name,
                              const std::string& folder);

// Deepest bracket nesting of a JSON text, strings skipped; stops counting past `limit`.
int jsonNestingDepth(const char* text, std::size_t size, int limit);

// Accessor values as floats (normalised integers scaled to 0..1 or -1..1), `components`
// per element; throws ImportError naming the accessor when its data leaves its buffer.
std::vector<float> readFloats(const GltfSource& source, int accessor, int components, const char* what);
// Index values; each is checked against `vertexCount`.
std::vector<std::uint32_t> readIndices(const GltfSource& source, int accessor, std::size_t vertexCount);

[[noreturn]] void refuse(const GltfSource& source, const std::string& problem);

}  // namespace orvane::import
