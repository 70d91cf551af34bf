// The glTF reader behind loadGltf: tinygltf does the parsing; this file bounds
// what it is handed and checks every index and byte range before a value is read.
#define TINYGLTF_IMPLEMENTATION
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#include "import/gltf_source.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>

namespace orvane::import {
namespace fs = std::filesystem;
namespace {

// glTF files nest a handful of levels; a deeper document is hostile, and the
// parser's recursion must never meet it.
constexpr int kMaxNesting = 64;
// Inputs, buffers and pictures above this are refused before they are read.
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{1} << 30;
// An accessor without data is all zeros; it may not ask for more than this.
constexpr std::size_t kMaxEmptyAccessor = std::size_t{1} << 20;

struct FileAccess {
  std::string folder;  // canonical, without a trailing separator; empty: no files
  std::string violation;
};

bool insideFolder(FileAccess& access, const std::string& path) {
  if (access.folder.empty()) {
    if (access.violation.empty()) access.violation = "refers to an outside file, which is not allowed here";
    return false;
  }
  // tinygltf also looks in the working folder; only the file's own folder counts.
  const std::string prefix = access.folder + "/";
  if (path.compare(0, prefix.size(), prefix) != 0) return false;
  const std::string uri = path.substr(prefix.size());
  auto fail = [&](const std::string& why) {
    if (access.violation.empty()) access.violation = "the URI \"" + uri + "\" " + why;
    return false;
  };
  if (uri.empty()) return fail("is empty");
  if (uri.front() == '/' || uri.front() == '\\' || (uri.size() > 1 && uri[1] == ':'))
    return fail("is an absolute path");
  if (uri.find("://") != std::string::npos || uri.rfind("file:", 0) == 0) return fail("is not a relative file name");
  const fs::path normal = fs::path(uri).lexically_normal();
  if (normal.empty() || *normal.begin() == "..") return fail("leaves the file's folder");
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  if (error) return false;  // missing: tinygltf says so
  const std::string realText = real.string();
  if (realText.compare(0, prefix.size(), prefix) != 0) return fail("leaves the file's folder through a link");
  if (!fs::is_regular_file(real, error)) return fail("is not a regular file");
  return true;
}

bool fileExists(const std::string& path, void* user) { return insideFolder(*static_cast<FileAccess*>(user), path); }

std::string expandPath(const std::string& path, void*) { return path; }

bool readWholeFile(std::vector<unsigned char>* out, std::string* err, const std::string& path, void* user) {
  if (!insideFolder(*static_cast<FileAccess*>(user), path)) {
    *err = "not readable";
    return false;
  }
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error || size > kMaxFileBytes) {
    *err = error ? error.message() : "larger than 1 GiB";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  out->resize(static_cast<std::size_t>(size));
  if (size && !in.read(reinterpret_cast<char*>(out->data()), static_cast<std::streamsize>(size))) {
    *err = "read error";
    return false;
  }
  return true;
}

bool writeWholeFile(std::string* err, const std::string&, const std::vector<unsigned char>&, void*) {
  *err = "writing is not allowed";
  return false;
}

// Pictures are copied as they are: keep the bytes, decode nothing here.
bool keepImageBytes(tinygltf::Image* image, const int, std::string*, std::string*, int, int,
                    const unsigned char* bytes, int size, void*) {
  image->image.assign(bytes, bytes + size);
  image->width = image->height = 0;
  return true;
}

std::uint32_t little32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::string firstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

bool validIndex(int index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }

int componentBytes(int type) {
  switch (type) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
      return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
      return 2;
    case TINYGLTF_COMPONENT_TYPE_INT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT:
      return 4;
    default:
      return 0;
  }
}

int componentCount(int type) {
  switch (type) {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4: return 4;
    case TINYGLTF_TYPE_MAT2: return 4;
    case TINYGLTF_TYPE_MAT3: return 9;
    case TINYGLTF_TYPE_MAT4: return 16;
    default: return 0;
  }
}

void checkIndex(const GltfSource& source, int index, std::size_t size, const std::string& what, bool optional) {
  if (optional && index == -1) return;
  if (!validIndex(index, size)) refuse(source, what + " refers to " + std::to_string(index) + ", outside the " +
                                                   std::to_string(size) + " there are");
}

void checkTexture(const GltfSource& source, const tinygltf::Model& m, int index, const std::string& what) {
  checkIndex(source, index, m.textures.size(), what, true);
}

// Every cross reference and every byte range, before any value is read.
void validate(const GltfSource& source) {
  const tinygltf::Model& m = source.model;
  for (std::size_t i = 0; i < m.buffers.size(); ++i) {
    if (m.buffers[i].data.size() > kMaxFileBytes) refuse(source, "buffer " + std::to_string(i) + " is larger than 1 GiB");
  }
  for (std::size_t i = 0; i < m.bufferViews.size(); ++i) {
    const tinygltf::BufferView& view = m.bufferViews[i];
    const std::string what = "bufferView " + std::to_string(i);
    checkIndex(source, view.buffer, m.buffers.size(), what + "'s buffer", false);
    const std::size_t size = m.buffers[static_cast<std::size_t>(view.buffer)].data.size();
    if (view.byteOffset > size || view.byteLength > size - view.byteOffset)
      refuse(source, what + " (offset " + std::to_string(view.byteOffset) + ", " + std::to_string(view.byteLength) +
                         " bytes) reaches past its buffer's " + std::to_string(size) + " bytes");
    if (view.byteStride != 0 && (view.byteStride < 4 || view.byteStride > 252))
      refuse(source, what + " has a byte stride of " + std::to_string(view.byteStride) + ", outside 4 to 252");
  }
  for (std::size_t i = 0; i < m.accessors.size(); ++i) {
    const tinygltf::Accessor& accessor = m.accessors[i];
    const std::string what = "accessor " + std::to_string(i);
    const int bytes = componentBytes(accessor.componentType);
    const int count = componentCount(accessor.type);
    if (!bytes || !count) refuse(source, what + " has an unknown component type or type");
    checkIndex(source, accessor.bufferView, m.bufferViews.size(), what + "'s bufferView", true);
    if (accessor.bufferView < 0) {
      if (accessor.count > kMaxEmptyAccessor) refuse(source, what + " has no data but claims " +
                                                                 std::to_string(accessor.count) + " elements");
      continue;
    }
    const tinygltf::BufferView& view = m.bufferViews[static_cast<std::size_t>(accessor.bufferView)];
    const std::size_t element = static_cast<std::size_t>(bytes) * static_cast<std::size_t>(count);
    const std::size_t stride = view.byteStride ? view.byteStride : element;
    if (accessor.count == 0) continue;
    const std::size_t room = view.byteLength;
    const bool fits = accessor.byteOffset <= room && element <= room - accessor.byteOffset &&
                      (accessor.count - 1) <= (room - accessor.byteOffset - element) / stride;
    if (!fits)
      refuse(source, what + " needs " + std::to_string(accessor.count) + " elements of " + std::to_string(element) +
                         " bytes from offset " + std::to_string(accessor.byteOffset) + ", beyond bufferView " +
                         std::to_string(accessor.bufferView) + "'s " + std::to_string(room) + " bytes");
  }
  for (std::size_t i = 0; i < m.images.size(); ++i)
    checkIndex(source, m.images[i].bufferView, m.bufferViews.size(), "image " + std::to_string(i) + "'s bufferView",
               true);
  for (std::size_t i = 0; i < m.textures.size(); ++i)
    checkIndex(source, m.textures[i].source, m.images.size(), "texture " + std::to_string(i) + "'s source", true);
  for (std::size_t i = 0; i < m.materials.size(); ++i) {
    const tinygltf::Material& material = m.materials[i];
    const std::string what = "material " + std::to_string(i);
    checkTexture(source, m, material.pbrMetallicRoughness.baseColorTexture.index, what + "'s base colour texture");
    checkTexture(source, m, material.emissiveTexture.index, what + "'s emissive texture");
  }
  for (std::size_t i = 0; i < m.meshes.size(); ++i) {
    for (std::size_t p = 0; p < m.meshes[i].primitives.size(); ++p) {
      const tinygltf::Primitive& primitive = m.meshes[i].primitives[p];
      const std::string what = "mesh " + std::to_string(i) + " primitive " + std::to_string(p);
      for (const auto& [name, accessor] : primitive.attributes)
        checkIndex(source, accessor, m.accessors.size(), what + "'s " + name, false);
      checkIndex(source, primitive.indices, m.accessors.size(), what + "'s indices", true);
      checkIndex(source, primitive.material, m.materials.size(), what + "'s material", true);
    }
  }
  // Nodes form trees: one parent each, no cycles.
  std::vector<int> parent(m.nodes.size(), -1);
  for (std::size_t i = 0; i < m.nodes.size(); ++i) {
    const tinygltf::Node& node = m.nodes[i];
    const std::string what = "node " + std::to_string(i);
    checkIndex(source, node.mesh, m.meshes.size(), what + "'s mesh", true);
    checkIndex(source, node.camera, m.cameras.size(), what + "'s camera", true);
    checkIndex(source, node.skin, m.skins.size(), what + "'s skin", true);
    for (int child : node.children) {
      checkIndex(source, child, m.nodes.size(), what + "'s child", false);
      if (parent[static_cast<std::size_t>(child)] != -1 || child == static_cast<int>(i))
        refuse(source, "node " + std::to_string(child) + " has more than one parent");
      parent[static_cast<std::size_t>(child)] = static_cast<int>(i);
    }
  }
  for (std::size_t i = 0; i < m.nodes.size(); ++i) {
    std::size_t steps = 0;
    for (int at = parent[i]; at != -1; at = parent[static_cast<std::size_t>(at)]) {
      if (++steps > m.nodes.size()) refuse(source, "node " + std::to_string(i) + " is its own ancestor");
    }
  }
  for (std::size_t i = 0; i < m.scenes.size(); ++i) {
    for (int node : m.scenes[i].nodes) {
      checkIndex(source, node, m.nodes.size(), "scene " + std::to_string(i) + "'s node", false);
      if (parent[static_cast<std::size_t>(node)] != -1)
        refuse(source, "scene " + std::to_string(i) + " lists node " + std::to_string(node) + ", which has a parent");
    }
  }
  checkIndex(source, m.defaultScene, m.scenes.size(), "the default scene", true);
  for (std::size_t i = 0; i < m.animations.size(); ++i) {
    const tinygltf::Animation& animation = m.animations[i];
    const std::string what = "animation " + std::to_string(i);
    for (std::size_t s = 0; s < animation.samplers.size(); ++s) {
      checkIndex(source, animation.samplers[s].input, m.accessors.size(), what + " sampler " + std::to_string(s) + "'s input", false);
      checkIndex(source, animation.samplers[s].output, m.accessors.size(), what + " sampler " + std::to_string(s) + "'s output", false);
    }
    for (std::size_t c = 0; c < animation.channels.size(); ++c) {
      checkIndex(source, animation.channels[c].sampler, animation.samplers.size(),
                 what + " channel " + std::to_string(c) + "'s sampler", false);
      checkIndex(source, animation.channels[c].target_node, m.nodes.size(),
                 what + " channel " + std::to_string(c) + "'s node", true);
    }
  }
}

GltfSource parse(const std::vector<unsigned char>& bytes, const std::string& name, const std::string& folder) {
  GltfSource source;
  source.path = name;
  const bool binary = bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0;
  const char* json = reinterpret_cast<const char*>(bytes.data());
  std::size_t jsonSize = bytes.size();
  if (binary) {
    if (bytes.size() < 20) refuse(source, "the binary header is cut short (" + std::to_string(bytes.size()) + " bytes)");
    const std::uint32_t version = little32(&bytes[4]), length = little32(&bytes[8]);
    const std::uint32_t chunk = little32(&bytes[12]), type = little32(&bytes[16]);
    if (version != 2) refuse(source, "binary container version " + std::to_string(version) + ", not 2");
    if (length > bytes.size())
      refuse(source, "the header claims " + std::to_string(length) + " bytes, the file holds " +
                         std::to_string(bytes.size()) + " (truncated)");
    if (type != 0x4E4F534Au) refuse(source, "offset 16: the first chunk is not JSON");
    if (length < 20) refuse(source, "offset 8: a container length of " + std::to_string(length) + " bytes, below its header");
    if (chunk > length - 20) refuse(source, "offset 12: the JSON chunk of " + std::to_string(chunk) +
                                                " bytes runs past the file's end (truncated)");
    json += 20;
    jsonSize = chunk;
  }
  if (jsonNestingDepth(json, jsonSize, kMaxNesting) > kMaxNesting)
    refuse(source, "the JSON nests deeper than " + std::to_string(kMaxNesting) + " levels");

  FileAccess access;
  if (!folder.empty()) {
    std::error_code error;
    access.folder = fs::canonical(folder, error).string();
    if (error) refuse(source, "its folder cannot be read: " + error.message());
  }
  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(keepImageBytes, nullptr);
  loader.SetFsCallbacks({fileExists, expandPath, readWholeFile, writeWholeFile, &access});
  loader.SetStoreOriginalJSONForExtrasAndExtensions(false);
  std::string error, warning;
  const std::string base = access.folder.empty() ? std::string("/nonexistent-folder") : access.folder;
  bool ok = false;
  try {
    ok = binary ? loader.LoadBinaryFromMemory(&source.model, &error, &warning, bytes.data(),
                                              static_cast<unsigned int>(bytes.size()), base)
                : loader.LoadASCIIFromString(&source.model, &error, &warning, json,
                                             static_cast<unsigned int>(jsonSize), base);
  } catch (const std::exception& e) {
    refuse(source, std::string("cannot be read: ") + e.what());
  }
  if (!access.violation.empty()) refuse(source, access.violation);
  if (!ok) refuse(source, firstLine(error.empty() ? std::string("cannot be read as glTF 2.0") : error));
  validate(source);
  return source;
}

}  // namespace

[[noreturn]] void refuse(const GltfSource& source, const std::string& problem) {
  throw ImportError{source.path + ": " + problem};
}

int jsonNestingDepth(const char* text, std::size_t size, int limit) {
  int depth = 0, deepest = 0;
  bool inString = false;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > deepest) deepest = depth;
      if (deepest > limit) return deepest;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return deepest;
}

GltfSource loadGltfFromMemory(const std::vector<unsigned char>& bytes, const std::string& name,
                              const std::string& folder) {
  return parse(bytes, name, folder);
}

GltfSource loadGltf(const std::string& path) {
  GltfSource named;
  named.path = path;
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) refuse(named, "cannot be opened: " + error.message());
  if (size > kMaxFileBytes) refuse(named, "is larger than 1 GiB");
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  std::ifstream in(path, std::ios::binary);
  if (!in || (size && !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))))
    refuse(named, "cannot be read");
  std::string folder = fs::path(path).parent_path().string();
  if (folder.empty()) folder = ".";
  return parse(bytes, path, folder);
}

std::vector<float> readFloats(const GltfSource& source, int index, int components, const char* what) {
  const tinygltf::Model& m = source.model;
  const tinygltf::Accessor& accessor = m.accessors.at(static_cast<std::size_t>(index));
  const std::string name = std::string(what) + " (accessor " + std::to_string(index) + ")";
  if (componentCount(accessor.type) != components)
    refuse(source, name + " has " + std::to_string(componentCount(accessor.type)) + " components, not " +
                       std::to_string(components));
  if (accessor.sparse.isSparse) refuse(source, name + " is sparse, which is not supported");
  const int type = accessor.componentType;
  if (type != TINYGLTF_COMPONENT_TYPE_FLOAT && !accessor.normalized)
    refuse(source, name + " holds integers that are not normalised");
  std::vector<float> values(accessor.count * static_cast<std::size_t>(components), 0.0f);
  if (accessor.bufferView < 0) return values;
  const tinygltf::BufferView& view = m.bufferViews[static_cast<std::size_t>(accessor.bufferView)];
  const int bytes = componentBytes(type);
  const std::size_t element = static_cast<std::size_t>(bytes) * static_cast<std::size_t>(components);
  const std::size_t stride = view.byteStride ? view.byteStride : element;
  const unsigned char* base =
      m.buffers[static_cast<std::size_t>(view.buffer)].data.data() + view.byteOffset + accessor.byteOffset;
  for (std::size_t i = 0; i < accessor.count; ++i) {
    const unsigned char* p = base + i * stride;
    for (int c = 0; c < components; ++c) {
      const unsigned char* q = p + c * bytes;
      float v = 0;
      switch (type) {
        case TINYGLTF_COMPONENT_TYPE_FLOAT: std::memcpy(&v, q, 4); break;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: v = q[0] / 255.0f; break;
        case TINYGLTF_COMPONENT_TYPE_BYTE: v = std::max(static_cast<std::int8_t>(q[0]) / 127.0f, -1.0f); break;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: v = (q[0] | q[1] << 8) / 65535.0f; break;
        case TINYGLTF_COMPONENT_TYPE_SHORT:
          v = std::max(static_cast<std::int16_t>(q[0] | q[1] << 8) / 32767.0f, -1.0f);
          break;
        default: refuse(source, name + " has a component type that cannot hold values");
      }
      if (!std::isfinite(v)) refuse(source, name + ", element " + std::to_string(i) + " is not a finite number");
      values[i * static_cast<std::size_t>(components) + static_cast<std::size_t>(c)] = v;
    }
  }
  return values;
}

std::vector<std::uint32_t> readIndices(const GltfSource& source, int index, std::size_t vertexCount) {
  const tinygltf::Model& m = source.model;
  const tinygltf::Accessor& accessor = m.accessors.at(static_cast<std::size_t>(index));
  const std::string name = "indices (accessor " + std::to_string(index) + ")";
  if (accessor.type != TINYGLTF_TYPE_SCALAR) refuse(source, name + " are not scalars");
  if (accessor.sparse.isSparse) refuse(source, name + " are sparse, which is not supported");
  const int type = accessor.componentType;
  if (type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE && type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
      type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)
    refuse(source, name + " are not unsigned integers");
  std::vector<std::uint32_t> values(accessor.count, 0);
  if (accessor.bufferView < 0) return values;
  const tinygltf::BufferView& view = m.bufferViews[static_cast<std::size_t>(accessor.bufferView)];
  const std::size_t bytes = static_cast<std::size_t>(componentBytes(type));
  const std::size_t stride = view.byteStride ? view.byteStride : bytes;
  const unsigned char* base =
      m.buffers[static_cast<std::size_t>(view.buffer)].data.data() + view.byteOffset + accessor.byteOffset;
  for (std::size_t i = 0; i < accessor.count; ++i) {
    const unsigned char* p = base + i * stride;
    const std::uint32_t v = bytes == 1 ? p[0] : bytes == 2 ? std::uint32_t(p[0] | p[1] << 8) : little32(p);
    if (v >= vertexCount)
      refuse(source, name + ", element " + std::to_string(i) + " is vertex " + std::to_string(v) + ", outside the " +
                         std::to_string(vertexCount) + " vertices");
    values[i] = v;
  }
  return values;
}

}  // namespace orvane::import
