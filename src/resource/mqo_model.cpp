// The Metasequoia reader. Every loop also stops at the end of the input and at a
// closing brace, so a truncated or damaged file fails with the file, the line and
// the problem instead of reading for ever or out of range.
#include "resource/mqo_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "framework/shell_path.h"

namespace {

constexpr f64 kVertexScale = 0.009999999776482582;  // 0.01 in single precision
// The fewest bytes a vertex line ("0 0 0") and a face line ("2 V(0 1)") can take:
// a declared count above what the rest of the file can hold is damage, and must
// not be allocated.
constexpr std::size_t kMinVertexBytes = 6;
constexpr std::size_t kMinFaceBytes = 8;
constexpr std::size_t kMinMaterialBytes = 3;  // '""' and a separator
// Binary chunks: a vertex is three floats; a face record is at least its corner
// count, its material and two corners with their coordinates.
constexpr std::size_t kBinaryVertexBytes = 12;
constexpr std::size_t kMinBinaryFaceBytes = 8 + 2 * 12;
// A face that names no material ("M" absent or negative) until the model is read.
constexpr s32 kNoMaterial = -1;

MqoPoint scaledVertex(f32 x, f32 y, f32 z, bool negateZ) {
  return {static_cast<f32>(x * kVertexScale), static_cast<f32>(y * kVertexScale),
          static_cast<f32>((negateZ ? -z : z) * kVertexScale)};
}

std::string withoutLeadingMarks(std::string_view name) {
  const std::size_t first = name.find_first_not_of('>');
  return first == std::string_view::npos ? std::string() : std::string(name.substr(first));
}

u32 littleEndian32(const char* pBytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(pBytes);
  return static_cast<u32>(p[0]) | static_cast<u32>(p[1]) << 8 | static_cast<u32>(p[2]) << 16 |
         static_cast<u32>(p[3]) << 24;
}

f32 littleEndianFloat(const char* pBytes) {
  const u32 bits = littleEndian32(pBytes);
  f32 value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// token == word for the short words of the per-vertex and per-face loops, without
// the library call a string comparison makes there.
template <std::size_t N>
bool isWord(std::string_view token, const char (&word)[N]) {
  if (token.size() != N - 1) return false;
  for (std::size_t i = 0; i + 1 < N; ++i) {
    if (token[i] != word[i]) return false;
  }
  return true;
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

bool MqoModel::fail(const std::string& problem, u64 line) {
  mError = mFileName + ":" + std::to_string(line ? line : getLineNumber()) + ": " + problem;
  close();
  return false;
}

const MqoPoint& MqoModel::getBone(const std::string& name) const {
  static const MqoPoint kOrigin = {0.0f, 0.0f, 0.0f};
  const auto found = bones.find(withoutLeadingMarks(name));
  return found == bones.end() ? kOrigin : found->second;
}

template <class Store>
int MqoModel::readGroup(Store store, int capacity) {
  if (lastDelimiter() != '(') {
    return -1;
  }
  const u64 line = getLineNumber();
  int count = 0;
  for (;;) {
    const std::string_view token = nextToken();
    if (getLineNumber() != line) return -1;
    if (!token.empty()) {
      if (count < capacity) store(count, token);
      ++count;
    }
    if (lastDelimiter() == ')') return count;
    if (token.empty() && atEnd()) return -1;
  }
}

template <class Value, class Store>
int MqoModel::readNumbers(Store store, int capacity) {
  if (lastDelimiter() != '(') {
    return -1;
  }
  const u64 line = getLineNumber();
  int count = 0;
  for (;;) {
    Value value{};
    const std::string_view token = nextToken(value);
    if (getLineNumber() != line) return -1;
    if (!token.empty()) {
      if (count < capacity) store(count, value);
      ++count;
    }
    if (lastDelimiter() == ')') return count;
    if (token.empty() && atEnd()) return -1;
  }
}

bool MqoModel::read(const std::string& path) {
  try {
    return readAll(path);
  } catch (const std::bad_alloc&) {
    // Every count is checked against the bytes present, so this is a machine short
    // of memory for an honest model: fail the load rather than the program.
    const u64 line = getLineNumber();
    close();
    std::vector<MqoObject>().swap(objects);
    std::vector<MqoMaterial>().swap(materials);
    mObjectsToBuild.clear();
    return fail("not enough memory to read the model", line);
  }
}

bool MqoModel::readAll(const std::string& path) {
  objects.clear();
  materials.clear();
  initialMaterials.clear();
  bones.clear();
  lightPos = lightLookAt = {0.0f, 0.0f, 0.0f};
  boundsMax = {-1e38f, -1e38f, -1e38f};
  boundsMin = {1e38f, 1e38f, 1e38f};
  mError.clear();
  mObjectsToBuild.clear();
  mFacesWithoutMaterial = false;
  if (!open(path)) {
    mError = "cannot open > " + path;
    return false;
  }
  if (nextToken() != "Metasequoia") {
    return fail("not a Metasequoia model");
  }
  for (;;) {
    const std::string_view token = nextToken();
    if (token.empty() && atEnd()) {
      return fail("the file ends without \"Eof\"");
    }
    if (token == "Format" && !readHeaderFormat()) {
      return false;
    }
    if (token == "Scene" && !skipBlock()) {
      return fail("the Scene chunk is not closed");
    }
    if (token == "Material" && !readMaterials()) {
      return false;
    }
    if (token == "Object" && !readObject()) {
      return false;
    }
    // Chunks of newer writers that carry nothing the show uses.
    if ((token == "Thumbnail" || token == "BackImage" || token == "Blob") && !skipChunk(token, "the file")) {
      return false;
    }
    if (token == "Eof") {
      // The text goes before the meshes are built, so that both never take memory
      // at the same time.
      close();
      for (std::size_t index : mObjectsToBuild) buildMesh(objects[index]);
      mObjectsToBuild.clear();
      giveFacesWithoutMaterialTheDefault();
      initialMaterials = materials;
      return true;
    }
  }
}

bool MqoModel::readHeaderFormat() {
  const std::string_view kind = nextToken();
  if (kind != "Text") {
    return fail("\"Format " + std::string(kind) + "\" is not a text model (only \"Format Text\" can be read)");
  }
  if (nextToken() != "Ver") {
    return fail("the format line has no version");
  }
  const std::string_view version = nextToken();
  if (version.substr(0, 2) != "1.") {
    return fail("format version " + std::string(version) + " is not supported (1.x can be read)");
  }
  return true;
}

bool MqoModel::skipChunk(std::string_view key, const std::string& where) {
  // "Key [values] {" ... "}" with nested blocks; the values stay on the key's line.
  const std::string name(key);
  const u64 line = getLineNumber();
  for (;;) {
    const std::string_view token = nextToken();
    if (token == "{") break;
    if ((token.empty() && atEnd()) || getLineNumber() != line || token == "}") {
      return fail(quoted(name) + " in " + where + " is not followed by a block");
    }
  }
  if (!skipBlock(1)) {
    return fail(quoted(name) + " in " + where + " is not closed");
  }
  return true;
}

bool MqoModel::readMaterials() {
  const std::string_view countToken = nextToken();
  const s32 count = toInteger(countToken);
  if (!isNumber(countToken) || count < 0) {
    return fail("the Material chunk has no material count");
  }
  if (static_cast<std::size_t>(count) > remainingBytes() / kMinMaterialBytes) {
    return fail("the Material chunk declares " + std::to_string(count) + " materials, more than the file holds");
  }
  if (nextToken() != "{") {
    return fail("the Material chunk does not open with \"{\"");
  }
  std::string_view key = nextToken();  // the first material's name
  for (s32 i = 0; i < count; ++i) {
    if (key == "}" || (key.empty() && atEnd())) {
      return fail("the Material chunk lists " + std::to_string(i) + " of " + std::to_string(count) + " materials");
    }
    if (key.empty() || key.front() != '"') {
      return fail("material " + std::to_string(i) + " does not start with a quoted name");
    }
    completeName(key);
    MqoMaterial material;
    if (!readMaterial(material, key)) {
      return false;
    }
    materials.push_back(std::move(material));
  }
  if (key != "}") {
    return fail("the Material chunk lists more than " + std::to_string(count) + " materials");
  }
  return true;
}

bool MqoModel::readMaterial(MqoMaterial& material, std::string_view& key) {
  // The attributes are taken in any order and unknown ones ("vcol", "dbls",
  // "reflect", "amb_col", ...) are skipped; the derived shader rules are applied
  // afterwards in their fixed order, so a file written in the usual order reads the
  // same as with a strictly ordered reader.
  const std::string index = std::to_string(materials.size());
  s32 shader = 0;
  for (;;) {
    key = nextToken();
    if (key == "}" || (!key.empty() && key.front() == '"')) break;
    if (key.empty() && atEnd()) return fail("the file ends inside material " + index);
    if (lastDelimiter() != '(') {
      return fail("material " + index + ": " + quoted(key) + " is not an attribute with values");
    }
    int read = 0;
    bool finite = true;
    auto floats = [&](f32* values, int capacity) {
      read = readGroup(
          [values, &finite](int i, std::string_view token) {
            values[i] = toFloat(token);
            finite = finite && std::isfinite(values[i]);
          },
          capacity);
    };
    bool inside = true;
    std::string refusedName;
    auto path = [&](std::string& value) {
      const std::string_view name = nextName();
      if (!name.empty() && !paths::dataNameRefusal(mDirectory, name).empty()) {
        inside = false;
        refusedName = name;
      }
      value = name.empty() ? std::string() : mDirectory + std::string(name);
      read = lastDelimiter() == ')' ? 1 : readGroup([](int, std::string_view) {}, 0);
    };
    if (key == "shader") {
      read = readGroup([&shader](int, std::string_view token) { shader = toInteger(token); }, 1);
    } else if (key == "col") {
      floats(material.col.data(), 4);
    } else if (key == "dif") {
      floats(&material.dif, 1);
    } else if (key == "amb") {
      floats(&material.amb, 1);
    } else if (key == "emi") {
      floats(&material.emi, 1);
    } else if (key == "spc") {
      floats(&material.spc, 1);
    } else if (key == "power") {
      floats(&material.power, 1);
    } else if (key == "tex") {
      path(material.tex);
    } else if (key == "aplane") {
      path(material.aplane);
    } else if (key == "bump") {
      path(material.bump);
    } else {
      read = skipGroup() ? 0 : -1;
    }
    if (read < 0) {
      return fail("material " + index + ": the values of " + quoted(key) + " do not close on their line");
    }
    if (!finite) {
      return fail("material " + index + ": " + quoted(key) + " holds a number too large to be finite");
    }
    if (!inside) {
      return fail("material " + index + ": the file name " + quoted(refusedName) +
                  " leaves the data folder and is refused");
    }
  }
  material.shader = shader == 1 ? 0 : shader;
  if (material.emi == 1.0f) material.shader = 1;
  if (!material.bump.empty()) material.shader = 5;
  return true;
}

bool MqoModel::readObject() {
  const std::string_view nameToken = nextToken();
  const std::string_view prefix = nameToken.substr(0, 8);
  const std::string name(completeName(nameToken));
  if (prefix == "\"motion_") {
    // Motion objects carry nothing the show uses.
    if (nextToken() != "{" || !skipBlock(1)) return fail("object " + quoted(name) + " is not closed");
    return true;
  }
  if (prefix == "\"_bone_:") {
    return readMarker(name.substr(std::min<std::size_t>(7, name.size())), false);
  }
  if (prefix == "\"_light_") {
    return readMarker(name.substr(std::min<std::size_t>(8, name.size())), true);
  }
  return readRegularObject(name);
}

bool MqoModel::readMarker(const std::string& name, bool isLight) {
  const std::string what = std::string(isLight ? "light" : "bone") + " marker " + quoted(name);
  bool binary = false;
  for (std::string_view token = nextToken(); token != "vertex"; token = nextToken()) {
    if (token == "BVertex") {
      binary = true;
      break;
    }
    if (token == "}" || token == "Eof" || (token.empty() && atEnd())) {
      return fail(what + " has no vertex block");
    }
  }
  MqoPoint points[2];
  if (binary) {
    std::string_view bytes;
    if (!readBinaryBlock(what, "BVertex", "Vector", bytes)) {
      return false;
    }
    if (mBinaryCount < 2 || bytes.size() != mBinaryCount * kBinaryVertexBytes) {
      return fail(what + ": at offset " + std::to_string(mBinaryOffset) +
                  ", the binary vertices are not two or more points of 12 bytes");
    }
    for (int p = 0; p < 2; ++p) {
      const char* pVertex = bytes.data() + p * kBinaryVertexBytes;
      const f32 xyz[3] = {littleEndianFloat(pVertex), littleEndianFloat(pVertex + 4), littleEndianFloat(pVertex + 8)};
      if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2])) {
        return fail(what + ": binary vertex " + std::to_string(p) + " is not a finite coordinate");
      }
      points[p] = scaledVertex(xyz[0], xyz[1], xyz[2], true);
    }
  } else {
    const std::string_view countToken = nextToken();
    if (toInteger(countToken) < 2 || nextToken() != "{") {
      return fail(what + " needs a vertex block of two vertices");
    }
    for (MqoPoint& point : points) {
      f32 xyz[3];
      for (f32& value : xyz) {
        const std::string_view token = nextToken();
        if (!isNumber(token)) return fail(what + ": " + quoted(token) + " is not a vertex coordinate");
        value = toFloat(token);
        if (!std::isfinite(value)) return fail(what + ": " + quoted(token) + " is not a finite coordinate");
      }
      point = scaledVertex(xyz[0], xyz[1], xyz[2], true);
    }
  }
  const MqoPoint middle = {(points[0][0] + points[1][0]) * 0.5f, (points[0][1] + points[1][1]) * 0.5f,
                           (points[0][2] + points[1][2]) * 0.5f};
  if (isLight) {
    if (name == "pos") lightPos = middle;
    if (name == "lookat") lightLookAt = middle;
  } else {
    bones[withoutLeadingMarks(name)] = middle;
  }
  // The rest of the vertex block and of the object (faces) is not used.
  if (!binary) {
    if (!skipBlock(2)) {
      return fail(what + " is not closed");
    }
    return true;
  }
  // After binary vertices the faces may be binary too: walk the chunks rather
  // than raw words, which binary bytes could pass for.
  for (;;) {
    const std::string_view key = nextToken();
    if (key == "}") return true;
    if ((key.empty() && atEnd()) || key == "Eof") return fail(what + " is not closed");
    std::string_view bytes;
    if (key == "BFace") {
      if (!readBinaryBlock(what, "BFace", "Face", bytes)) return false;
    } else if (!skipChunk(key, what)) {
      return false;
    }
  }
}

bool MqoModel::readRegularObject(std::string name) {
  MqoObject object;
  object.name = std::move(name);
  const std::string what = "object " + quoted(object.name);
  if (nextToken() != "{") {
    return fail(what + " does not open with \"{\"");
  }
  bool binaryVertices = false;
  for (;;) {
    const std::string_view key = nextToken();
    if (key == "vertex") break;
    if (key == "BVertex") {
      binaryVertices = true;
      break;
    }
    if (key.empty() && atEnd()) return fail("the file ends inside " + what);
    if (key == "Eof") return fail("\"Eof\" inside " + what + ", before its vertices");
    if (key == "}") {  // an object without vertices
      objects.push_back(std::move(object));
      return true;
    }
    if (key == "{" && !skipBlock(1)) return fail("a block inside " + what + " is not closed");
    if (key == "depth") {
      object.depth = toInteger(nextToken());
    } else if (key == "facet") {
      object.facet = toFloat(nextToken());
    } else if (key == "color") {
      for (f32& c : object.color) c = toFloat(nextToken());
    } else if (key == "scale" || key == "rotation" || key == "translation") {
      for (int i = 0; i < 3; ++i) nextToken();
    } else if (key == "folding" || key == "patch" || key == "segment" || key == "visible" || key == "locking" ||
               key == "shading" || key == "color_type" || key == "mirror" || key == "mirror_axis") {
      nextToken();
    }
    // Any other key ("uid", "patchtri", "normal_weight", ...) and its values match nothing.
  }
  if (!(binaryVertices ? readBinaryVertices(object) : readVertices(object))) {
    return false;
  }
  bool hasFaces = false;
  for (;;) {
    const std::string_view key = nextToken();
    if (key == "}") break;
    if (key.empty() && atEnd()) return fail("the file ends inside " + what);
    if (key == "Eof") return fail("\"Eof\" inside " + what);
    if (key == "face" || key == "BFace") {
      if (hasFaces) return fail(what + " has a second face block");
      if (!(key == "face" ? readFaces(object) : readBinaryFaces(object))) return false;
      hasFaces = true;
      continue;
    }
    // "vertexattr" and other per-object chunks carry nothing the show uses.
    if (!skipChunk(key, what)) return false;
  }
  if (hasFaces) {
    mObjectsToBuild.push_back(objects.size());
  }
  objects.push_back(std::move(object));
  return true;
}

template <class Where>
bool MqoModel::addVertex(MqoObject& object, const f32 (&xyz)[3], const Where& where) {
  if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2])) {
    return fail(where() + " is not a finite point");
  }
  const MqoPoint point = scaledVertex(xyz[0], xyz[1], xyz[2], false);
  for (int axis = 0; axis < 3; ++axis) {
    if (point[axis] > boundsMax[axis]) boundsMax[axis] = point[axis];
    if (point[axis] < boundsMin[axis]) boundsMin[axis] = point[axis];
  }
  object.vertex.push_back(point);
  return true;
}

bool MqoModel::readVertices(MqoObject& object) {
  const std::string what = "object " + quoted(object.name);
  const std::string_view countToken = nextToken();
  const s32 count = toInteger(countToken);
  if (!isNumber(countToken) || count < 0) {
    return fail(what + " has no vertex count");
  }
  if (static_cast<std::size_t>(count) > remainingBytes() / kMinVertexBytes) {
    return fail(what + " declares " + std::to_string(count) + " vertices, more than the file holds");
  }
  if (nextToken() != "{") {
    return fail(what + ": the vertex block does not open with \"{\"");
  }
  object.vertex.reserve(static_cast<std::size_t>(count));
  for (s32 i = 0; i < count; ++i) {
    f32 xyz[3];
    // Three plain numbers go the quick way; anything else token by token.
    for (std::size_t axis = readPlainNumbers(xyz, 3) ? 3 : 0; axis < 3; ++axis) {
      const std::string_view token = nextToken(xyz[axis]);
      if (isWord(token, "}") || (token.empty() && atEnd())) {
        return fail(what + " has " + std::to_string(i) + " of its " + std::to_string(count) + " vertices");
      }
      if (!isNumber(token)) {
        return fail(what + ", vertex " + std::to_string(i) + ": " + quoted(token) + " is not a number");
      }
    }
    if (!addVertex(object, xyz, [&] { return what + ", vertex " + std::to_string(i); })) {
      return false;
    }
  }
  object.vertexNum = static_cast<u32>(object.vertex.size());
  if (nextToken() != "}") {
    return fail(what + " has more vertices than the " + std::to_string(count) + " it declares");
  }
  return true;
}

bool MqoModel::readBinaryBlock(const std::string& what, std::string_view chunk, std::string_view arrayName,
                               std::string_view& bytes) {
  const std::string_view countToken = nextToken();
  const s32 count = toInteger(countToken);
  if (!isNumber(countToken) || count < 0) {
    return fail(what + ": " + quoted(chunk) + " has no count");
  }
  if (nextToken() != "{") {
    return fail(what + ": " + quoted(chunk) + " does not open with \"{\"");
  }
  if (nextToken() != arrayName) {
    return fail(what + ": " + quoted(chunk) + " does not hold a " + quoted(arrayName) + " array");
  }
  const std::string_view sizeToken = nextToken();
  const s32 size = toInteger(sizeToken);
  if (!isNumber(sizeToken) || size < 0 || nextToken() != "[") {
    return fail(what + ": the " + quoted(arrayName) + " array has no byte count and \"[\"");
  }
  const std::size_t offset = getOffset();
  if (!takeBytes(static_cast<std::size_t>(size), bytes)) {
    return fail(what + ": at offset " + std::to_string(offset) + ", the " + quoted(arrayName) +
                " array declares " + std::to_string(size) + " bytes after its line break, more than the file holds");
  }
  if (nextToken() != "]" || nextToken() != "}") {
    return fail(what + ": the " + quoted(arrayName) + " array is not closed by \"]\" and \"}\" after its " +
                std::to_string(size) + " bytes");
  }
  mBinaryCount = count;
  mBinaryOffset = offset;
  return true;
}

bool MqoModel::readBinaryVertices(MqoObject& object) {
  const std::string what = "object " + quoted(object.name);
  std::string_view bytes;
  if (!readBinaryBlock(what, "BVertex", "Vector", bytes)) {
    return false;
  }
  const std::size_t count = mBinaryCount;
  if (bytes.size() != count * kBinaryVertexBytes) {
    return fail(what + ": at offset " + std::to_string(mBinaryOffset) + ", " + std::to_string(bytes.size()) +
                " bytes cannot hold the " + std::to_string(count) + " vertices declared (12 bytes each)");
  }
  object.vertex.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const char* pVertex = bytes.data() + i * kBinaryVertexBytes;
    const f32 xyz[3] = {littleEndianFloat(pVertex), littleEndianFloat(pVertex + 4), littleEndianFloat(pVertex + 8)};
    if (!addVertex(object, xyz, [&] { return what + ", binary vertex " + std::to_string(i); })) {
      return false;
    }
  }
  object.vertexNum = static_cast<u32>(object.vertex.size());
  return true;
}

template <class Where>
bool MqoModel::addFace(MqoObject& object, const FaceRecord& record, const Where& where, u64 line) {
  const s32 corners = record.corners;
  for (s32 corner = 0; corner < corners; ++corner) {
    const s32 v = record.V[corner];
    if (v < 0 || static_cast<u32>(v) >= object.vertexNum) {
      return fail(where() + " uses vertex " + std::to_string(v) + ", outside the object's " +
                  std::to_string(object.vertexNum) + " vertices",
                  line);
    }
  }
  for (f32 coordinate : record.UV) {
    if (!std::isfinite(coordinate)) return fail(where() + " has a texture coordinate that is not finite", line);
  }
  const s32 material = record.hasMaterial && record.M >= 0 ? record.M : kNoMaterial;
  mFacesWithoutMaterial = mFacesWithoutMaterial || material == kNoMaterial;
  auto corner = [&](MqoFace& face, int to, int from) {
    face.V[to] = record.V[from];
    face.UV[to] = {record.UV[2 * from], record.UV[2 * from + 1]};
  };
  if (corners <= 4) {
    MqoFace face;
    face.num_v = corners;
    face.M = material;
    for (int c = 0; c < corners; ++c) corner(face, c, c);
    object.face.push_back(face);
    return true;
  }
  // Five corners or more: a fan around the first corner, in the polygon's order.
  for (s32 c = 1; c + 1 < corners; ++c) {
    MqoFace face;
    face.num_v = 3;
    face.M = material;
    corner(face, 0, 0);
    corner(face, 1, c);
    corner(face, 2, c + 1);
    object.face.push_back(face);
  }
  return true;
}

bool MqoModel::readFaces(MqoObject& object) {
  const std::string what = "object " + quoted(object.name);
  const std::string_view countToken = nextToken();
  const s32 count = toInteger(countToken);
  if (!isNumber(countToken) || count < 0) {
    return fail(what + " has no face count");
  }
  if (static_cast<std::size_t>(count) > remainingBytes() / kMinFaceBytes) {
    return fail(what + " declares " + std::to_string(count) + " faces, more than the file holds");
  }
  if (nextToken() != "{") {
    return fail(what + ": the face block does not open with \"{\"");
  }
  object.face.reserve(static_cast<std::size_t>(count));
  std::string_view token = nextToken();
  FaceRecord record;
  std::vector<s32> material;
  for (s32 i = 0; i < count; ++i) {
    auto where = [&] { return what + ", face " + std::to_string(i); };
    if (isWord(token, "}") || (token.empty() && atEnd())) {
      return fail(what + " has " + std::to_string(i) + " of its " + std::to_string(count) + " faces");
    }
    if (!isNumber(token)) {
      return fail(where() + ": " + quoted(token) + " is not a corner count");
    }
    const u64 faceLine = getLineNumber();
    // No material unless the line gives one, UV (0, 0) unless it gives them.
    record.corners = toInteger(token);
    record.hasMaterial = false;
    record.M = kNoMaterial;
    if (record.corners < 2) {
      return fail(where() + " has " + std::to_string(record.corners) + " corners (a face needs 2 or more)");
    }
    // The values of one face stay on its line, which bounds what a count can claim.
    if (static_cast<std::size_t>(record.corners) > remainingBytes() / 2 + 1) {
      return fail(where() + " declares " + std::to_string(record.corners) + " corners, more than the file holds");
    }
    // The values are kept as they are met, so memory follows what the line holds,
    // not what its count claims.
    record.V.clear();
    record.UV.clear();
    const int corners = record.corners;
    bool hasVertices = false;
    // The groups as writers give them go the quick way; the first that does not
    // (another key, another spacing, a wrong count) and all after it are read token
    // by token below, which also words every message.
    for (;;) {
      const std::string_view key = plainGroupKey();
      if (isWord(key, "V") && readPlainGroup(key, record.V, static_cast<std::size_t>(corners))) {
        hasVertices = true;
      } else if (isWord(key, "M") && readPlainGroup(key, material, 1)) {
        record.M = material[0];
        record.hasMaterial = true;
      } else if (!(isWord(key, "UV") && readPlainGroup(key, record.UV, 2 * static_cast<std::size_t>(corners)))) {
        break;
      }
    }
    for (token = nextToken(); !token.empty() && !isNumber(token) && !isWord(token, "}"); token = nextToken()) {
      if (lastDelimiter() != '(') {
        return fail(where() + ": " + quoted(token) + " is not a face attribute");
      }
      int read = 0;
      int expected = 0;
      if (isWord(token, "V")) {
        record.V.clear();
        read = readNumbers<s32>([&record](int, s32 value) { record.V.push_back(value); }, corners);
        expected = corners;
        hasVertices = true;
      } else if (isWord(token, "M")) {
        read = readNumbers<s32>([&record](int, s32 value) { record.M = value; }, 1);
        record.hasMaterial = true;
        expected = 1;
      } else if (isWord(token, "UV")) {
        record.UV.clear();
        read = readNumbers<f32>([&record](int, f32 value) { record.UV.push_back(value); }, 2 * corners);
        expected = 2 * corners;
      } else {
        // Per-corner colours ("COL"), creases ("CRS"), "UID": not used.
        read = skipGroup() ? 0 : -1;
        expected = read;
      }
      if (read < 0) return fail(where() + ": " + quoted(token) + " is not a group of values closed on its line");
      if (read != expected) {
        return fail(where() + ": " + quoted(token) + " holds " + std::to_string(read) + " values for " +
                    std::to_string(corners) + " corners");
      }
    }
    if (token.empty() && atEnd()) {
      return fail("the file ends inside " + what);
    }
    if (!hasVertices) {
      return fail(where() + " has no \"V\" indices", faceLine);
    }
    if (record.UV.empty()) {
      record.UV.assign(2 * record.V.size(), 0.0f);  // (0, 0) for every corner
    }
    if (!addFace(object, record, where, faceLine)) {
      return false;
    }
  }
  if (token != "}") {
    return fail(what + " has more faces than the " + std::to_string(count) + " it declares");
  }
  object.faceNum = static_cast<u32>(object.face.size());
  return true;
}

bool MqoModel::readBinaryFaces(MqoObject& object) {
  const std::string what = "object " + quoted(object.name);
  std::string_view bytes;
  if (!readBinaryBlock(what, "BFace", "Face", bytes)) {
    return false;
  }
  const std::size_t count = mBinaryCount;
  const std::size_t base = mBinaryOffset;
  if (count > bytes.size() / kMinBinaryFaceBytes) {
    return fail(what + ": at offset " + std::to_string(base) + ", " + std::to_string(bytes.size()) +
                " bytes cannot hold the " + std::to_string(count) + " faces declared");
  }
  object.face.reserve(count);
  std::size_t at = 0;
  FaceRecord record;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t recordAt = at;
    auto where = [&] {
      return what + ", binary face " + std::to_string(i) + " (offset " + std::to_string(base + recordAt) + ")";
    };
    if (bytes.size() - at < 8) {
      return fail(where() + ": the face record is cut short");
    }
    const s32 corners = static_cast<s32>(littleEndian32(bytes.data() + at));
    const s32 material = static_cast<s32>(littleEndian32(bytes.data() + at + 4));
    at += 8;
    if (corners < 2) {
      return fail(where() + " has " + std::to_string(corners) + " corners (a face needs 2 or more)");
    }
    if (static_cast<std::size_t>(corners) > (bytes.size() - at) / 12) {
      return fail(where() + ": " + std::to_string(corners) + " corners do not fit in the bytes left");
    }
    record.corners = corners;
    record.hasMaterial = true;
    record.M = material;  // negative: no material
    record.V.resize(static_cast<std::size_t>(corners));
    record.UV.resize(2 * static_cast<std::size_t>(corners));
    for (s32& v : record.V) {
      v = static_cast<s32>(littleEndian32(bytes.data() + at));
      at += 4;
    }
    for (f32& uv : record.UV) {
      uv = littleEndianFloat(bytes.data() + at);
      at += 4;
    }
    if (!addFace(object, record, where, 0)) {
      return false;
    }
  }
  if (at != bytes.size()) {
    return fail(what + ": at offset " + std::to_string(base + at) + ", " + std::to_string(bytes.size() - at) +
                " bytes follow the " + std::to_string(count) + " faces declared");
  }
  object.faceNum = static_cast<u32>(object.face.size());
  return true;
}

void MqoModel::giveFacesWithoutMaterialTheDefault() {
  if (!mFacesWithoutMaterial) {
    return;
  }
  // One more material, after the file's own, so their indices stay as written.
  const s32 index = static_cast<s32>(materials.size());
  materials.push_back(defaultMaterial());
  for (MqoObject& object : objects) {
    for (MqoFace& face : object.face) {
      if (face.M == kNoMaterial) face.M = index;
    }
  }
}

MqoMaterial MqoModel::defaultMaterial() {
  // White and lit, with the default texture and effect, as the modelling tool
  // shows faces that have no material.
  MqoMaterial material;
  material.col = {1.0f, 1.0f, 1.0f, 1.0f};
  material.dif = 0.8f;
  material.amb = 0.6f;
  material.power = 5.0f;
  return material;
}
