// The Metasequoia reader and the mesh builder. Every loop also stops at the end of
// the input, so a truncated or damaged file fails instead of reading for ever.
#include "resource/mqo_model.h"

#include <cmath>
#include <cstring>

#include "framework/critical_check.h"

namespace {

constexpr f64 kVertexScale = 0.009999999776482582;  // 0.01 in single precision
constexpr f64 kDegreesToRadians = 0.017453288659453392;

MqoPoint scaledVertex(f32 x, f32 y, f32 z, bool negateZ) {
  return {static_cast<f32>(x * kVertexScale), static_cast<f32>(y * kVertexScale),
          static_cast<f32>((negateZ ? -z : z) * kVertexScale)};
}

std::string withoutQuotes(const std::string& token) {
  return token.size() >= 2 ? token.substr(1, token.size() - 2) : std::string();
}

std::string withoutLeadingMarks(const std::string& name) {
  const std::size_t first = name.find_first_not_of('>');
  return first == std::string::npos ? std::string() : name.substr(first);
}

MqoPoint subtract(const MqoPoint& a, const MqoPoint& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

MqoPoint cross(const MqoPoint& a, const MqoPoint& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// Unit length; a zero vector (degenerate face, unused vertex) stays zero.
MqoPoint normalized(const MqoPoint& v) {
  const f32 length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(length > 0.0f)) {
    return {0.0f, 0.0f, 0.0f};
  }
  return {v[0] / length, v[1] / length, v[2] / length};
}

}  // namespace

bool MqoModel::fail(const std::string& problem) {
  mError = mFileName + ": " + problem + " (near line " + std::to_string(getLineNumber()) + ")";
  close();
  return false;
}

const MqoPoint& MqoModel::getBone(const std::string& name) const {
  static const MqoPoint kOrigin = {0.0f, 0.0f, 0.0f};
  const auto found = bones.find(withoutLeadingMarks(name));
  return found == bones.end() ? kOrigin : found->second;
}

bool MqoModel::read(const std::string& path) {
  boundsMax = {-1e38f, -1e38f, -1e38f};
  boundsMin = {1e38f, 1e38f, 1e38f};
  mEndReached = false;
  if (!open(path)) {
    mError = "cannot open > " + path;
    return false;
  }
  if (nextToken() != "Metasequoia") {
    return fail("not a Metasequoia model");
  }
  for (;;) {
    const std::string token = nextToken();
    if (token.empty() && atEnd()) {
      return fail("the file ends without \"Eof\"");
    }
    if (token == "Scene") {
      int depth = 0;
      for (;;) {
        const std::string word = nextWord();
        if (word.empty()) {
          return fail("the Scene block is not closed");
        }
        if (word == "{") ++depth;
        if (word == "}") --depth;
        if (depth <= 0) break;
      }
    }
    if (token == "Material" && !readMaterials()) {
      return false;
    }
    if (token == "Object" && !readObject()) {
      return false;
    }
    if (token == "Eof" || mEndReached) {
      close();
      initialMaterials = materials;
      return true;
    }
  }
}

bool MqoModel::readMaterials() {
  const s32 count = toInteger(nextToken());
  expectBrace();
  std::string key = nextToken();  // the first material's name
  for (s32 i = 0; i < count; ++i) {
    if (atEnd()) {
      return fail("the Material chunk ends early");
    }
    MqoMaterial material;
    key = nextToken();
    auto floatValue = [this, &key](f32& value) {
      value = toFloat(nextToken());
      key = nextToken();
    };
    auto skipValues = [this, &key](int values) {
      for (int v = 0; v < values; ++v) nextToken();
      key = nextToken();
    };
    auto pathValue = [this, &key](std::string& value) {
      const std::string name = withoutQuotes(nextToken());
      value = mDirectory + name;
      key = nextToken();
      return name;
    };
    if (key == "shader") {
      const s32 shader = toInteger(nextToken());
      material.shader = shader == 1 ? 0 : shader;
      key = nextToken();
    }
    if (key == "col") {
      for (f32& component : material.col) component = toFloat(nextToken());
      key = nextToken();
    }
    if (key == "dif") floatValue(material.dif);
    if (key == "amb") floatValue(material.amb);
    if (key == "emi") {
      floatValue(material.emi);
      if (material.emi == 1.0f) material.shader = 1;
    }
    if (key == "spc") floatValue(material.spc);
    if (key == "power") floatValue(material.power);
    if (key == "tex") pathValue(material.tex);
    if (key == "aplane") pathValue(material.aplane);
    if (key == "bump" && !pathValue(material.bump).empty()) material.shader = 5;
    if (key == "proj_type") skipValues(1);
    if (key == "proj_pos") skipValues(3);
    if (key == "proj_scale") skipValues(3);
    if (key == "proj_angle") skipValues(3);
    materials.push_back(std::move(material));
  }
  return true;
}

bool MqoModel::readObject() {
  const std::string nameToken = nextToken();
  const std::string prefix = nameToken.substr(0, 8);
  if (prefix == "\"motion_") {
    return true;
  }
  if (prefix == "\"_bone_:") {
    std::string name = nameToken.substr(8);
    if (!name.empty() && name.back() == '"') name.pop_back();
    return readMarker(name, false);
  }
  if (prefix == "\"_light_") {
    std::string name = nameToken.size() > 9 ? nameToken.substr(9) : std::string();
    if (!name.empty() && name.back() == '"') name.pop_back();
    return readMarker(name, true);
  }
  return readRegularObject(nameToken);
}

bool MqoModel::readMarker(std::string name, bool isLight) {
  while (nextToken() != "vertex") {
    if (atEnd()) return fail("marker object \"" + name + "\" has no vertex block");
  }
  nextToken();
  expectBrace();
  MqoPoint points[2];
  for (MqoPoint& point : points) {
    const f32 x = toFloat(nextToken());
    const f32 y = toFloat(nextToken());
    const f32 z = toFloat(nextToken());
    point = scaledVertex(x, y, z, true);
  }
  const MqoPoint middle = {(points[0][0] + points[1][0]) * 0.5f, (points[0][1] + points[1][1]) * 0.5f,
                           (points[0][2] + points[1][2]) * 0.5f};
  if (isLight) {
    if (name == "pos") lightPos = middle;
    if (name == "lookat") lightLookAt = middle;
  } else {
    bones[withoutLeadingMarks(name)] = middle;
  }
  expectBrace();
  return true;
}

bool MqoModel::readRegularObject(const std::string& nameToken) {
  MqoObject object;
  object.name = nameToken.size() > 1 ? nameToken.substr(1) : std::string();
  if (!object.name.empty() && object.name.back() == '"') object.name.pop_back();
  expectBrace();

  std::string key;
  for (;;) {
    key = nextToken();
    if (key == "vertex") break;
    if (key == "Eof") {  // the object is dropped and the file ends here
      mEndReached = true;
      return true;
    }
    if (key.empty() && atEnd()) return fail("object \"" + object.name + "\" ends before its vertices");
    if (key == "depth") object.depth = toInteger(nextToken());
    else if (key == "facet") object.facet = toFloat(nextToken());
    else if (key == "color") for (f32& c : object.color) c = toFloat(nextToken());
    else if (key == "scale" || key == "rotation" || key == "translation") for (int i = 0; i < 3; ++i) nextToken();
    else if (key == "folding" || key == "patch" || key == "segment" || key == "visible" || key == "locking" ||
             key == "shading" || key == "color_type" || key == "mirror" || key == "mirror_axis")
      nextToken();
  }

  const s32 vertexCount = toInteger(nextToken());
  expectBrace();
  for (s32 i = 0; i < vertexCount; ++i) {
    if (atEnd()) return fail("object \"" + object.name + "\" has fewer vertices than it declares");
    const f32 x = toFloat(nextToken());
    const f32 y = toFloat(nextToken());
    const f32 z = toFloat(nextToken());
    const MqoPoint point = scaledVertex(x, y, z, false);
    for (int axis = 0; axis < 3; ++axis) {
      if (point[axis] > boundsMax[axis]) boundsMax[axis] = point[axis];
      if (point[axis] < boundsMin[axis]) boundsMin[axis] = point[axis];
    }
    object.vertex.push_back(point);
  }
  object.vertexNum = static_cast<u32>(object.vertex.size());
  expectBrace();
  key = nextToken();
  if (key != "face") {
    objects.push_back(std::move(object));
    return true;
  }

  const s32 faceCount = toInteger(nextToken());
  expectBrace();
  std::string token = nextToken();
  for (s32 i = 0; i < faceCount; ++i) {
    if (atEnd()) return fail("object \"" + object.name + "\" has fewer faces than it declares");
    MqoFace face;
    face.num_v = toInteger(token);
    token = nextToken();
    if (token == "V") {
      face.V = {0, 0, 0, 0};
      for (s32 corner = 0; corner < 4 && (corner < 2 || corner < face.num_v); ++corner) {
        face.V[corner] = toInteger(nextToken());
      }
      token = nextToken();
    }
    if (token == "M") {
      face.M = toInteger(nextToken());
      token = nextToken();
    }
    if (token == "UV") {
      for (s32 corner = 0; corner < 4 && (corner < 2 || corner < face.num_v); ++corner) {
        face.UV[corner][0] = toFloat(nextToken());
        face.UV[corner][1] = toFloat(nextToken());
      }
      token = nextToken();
    }
    if (face.num_v < 2 || face.num_v > 4) {
      return fail("face " + std::to_string(i) + " of object \"" + object.name + "\" has " +
                  std::to_string(face.num_v) + " corners");
    }
    for (s32 corner = 0; corner < face.num_v; ++corner) {
      if (face.V[corner] < 0 || static_cast<u32>(face.V[corner]) >= object.vertexNum) {
        return fail("face " + std::to_string(i) + " of object \"" + object.name + "\" uses vertex " +
                    std::to_string(face.V[corner]) + " of " + std::to_string(object.vertexNum));
      }
    }
    object.face.push_back(face);
  }
  object.faceNum = static_cast<u32>(object.face.size());
  expectBrace();
  buildMesh(object);
  objects.push_back(std::move(object));
  return true;
}

void MqoModel::buildMesh(MqoObject& object) {
  // 1. Quads become two triangles, the second right after the first.
  std::vector<MqoFace> faces;
  faces.reserve(object.face.size() * 2);
  for (const MqoFace& face : object.face) {
    if (face.num_v != 4) {
      faces.push_back(face);
      continue;
    }
    MqoFace first = face;
    MqoFace second = face;
    first.num_v = second.num_v = 3;
    const int firstCorners[3] = {0, 1, 3};
    const int secondCorners[3] = {1, 2, 3};
    for (int c = 0; c < 3; ++c) {
      first.V[c] = face.V[firstCorners[c]];
      first.UV[c] = face.UV[firstCorners[c]];
      second.V[c] = face.V[secondCorners[c]];
      second.UV[c] = face.UV[secondCorners[c]];
    }
    first.V[3] = second.V[3] = 0;
    first.UV[3] = second.UV[3] = {0.0f, 0.0f};
    faces.push_back(first);
    faces.push_back(second);
  }

  // 2. Reverse the winding.
  for (MqoFace& face : faces) {
    if (face.num_v == 3) {
      std::swap(face.V[0], face.V[2]);
      std::swap(face.UV[0], face.UV[2]);
    } else if (face.num_v == 4) {
      std::swap(face.V[0], face.V[3]);
      std::swap(face.UV[0], face.UV[3]);
      std::swap(face.V[1], face.V[2]);
      std::swap(face.UV[1], face.UV[2]);
    }
  }

  // 3. Face normals, summed into the first three corners' vertices.
  const std::size_t vertexCount = object.vertex.size();
  std::vector<MqoPoint> accumulated(vertexCount, MqoPoint{0.0f, 0.0f, 0.0f});
  std::vector<MqoPoint> faceNormals(faces.size(), MqoPoint{0.0f, 0.0f, 0.0f});
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const MqoFace& face = faces[f];
    if (face.num_v == 2) continue;
    const MqoPoint& p0 = object.vertex[face.V[0]];
    const MqoPoint& p1 = object.vertex[face.V[1]];
    const MqoPoint& p2 = object.vertex[face.V[2]];
    const MqoPoint n = normalized(cross(subtract(p0, p2), subtract(p1, p2)));
    faceNormals[f] = n;
    for (int c = 0; c < 3; ++c) {
      MqoPoint& sum = accumulated[face.V[c]];
      for (int axis = 0; axis < 3; ++axis) sum[axis] += n[axis];
    }
  }

  // 4. Vertex normals.
  for (MqoPoint& normal : accumulated) normal = normalized(normal);

  // 5. Every further face that uses a vertex gets its own copy of it.
  std::vector<bool> seen(vertexCount, false);
  std::vector<std::vector<std::size_t>> sharers(vertexCount);
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const MqoFace& face = faces[f];
    const s32 corners = face.num_v < 4 ? face.num_v : 4;
    for (s32 c = 0; c < corners; ++c) {
      const s32 v = face.V[c];
      if (seen[v]) {
        sharers[v].push_back(f);
      } else {
        seen[v] = true;
      }
    }
  }
  std::vector<MqoPoint> vertices = object.vertex;
  std::vector<MqoPoint> normals = accumulated;
  for (std::size_t v = 0; v < vertexCount; ++v) {
    for (std::size_t f : sharers[v]) {
      const s32 copy = static_cast<s32>(vertices.size());
      vertices.push_back(object.vertex[v]);
      normals.push_back(accumulated[v]);
      MqoFace& face = faces[f];
      const s32 corners = face.num_v < 4 ? face.num_v : 4;
      // A face that uses the vertex at two corners keeps one copy for both.
      for (s32 c = 0; c < corners; ++c) {
        if (face.V[c] == static_cast<s32>(v)) face.V[c] = copy;
      }
    }
  }

  // 6. Corners meeting their face at the facet angle or more take the face normal.
  const f64 limit = object.facet * kDegreesToRadians;
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const MqoFace& face = faces[f];
    const s32 corners = face.num_v < 4 ? face.num_v : 4;
    if (face.num_v == 2) continue;
    for (s32 c = 0; c < corners; ++c) {
      MqoPoint& normal = normals[face.V[c]];
      const f32 dot = normal[0] * faceNormals[f][0] + normal[1] * faceNormals[f][1] + normal[2] * faceNormals[f][2];
      const f64 angle = std::acos(static_cast<f64>(dot));
      if (angle >= limit) {
        normal = faceNormals[f];
      }
    }
  }

  // 7.
  object.face = std::move(faces);
  object.faceNum = static_cast<u32>(object.face.size());
  object.faceNormal = std::move(faceNormals);
  object.vertex = std::move(vertices);
  object.normal = std::move(normals);
  object.vertexNum = static_cast<u32>(object.vertex.size());
}
