// Shape builders and the MQO text writer; see mesh.h.
#include "show/mesh.h"

#include <cstdio>

namespace orvane::show {
namespace {

std::string number(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string result = text;
  if (result == "-0" || result.find_first_not_of("-0.") == std::string::npos) {
    result = std::string(text).substr(result[0] == '-' ? 1 : 0);  // no "-0.000"
  }
  return result;
}

Vec3 rotateY(Vec3 v, double angle) {
  const double c = cosine(angle), s = sine(angle);
  return {v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
}

// Any unit vector perpendicular to `axis`.
Vec3 perpendicular(Vec3 axis) {
  const Vec3 helper = (axis.y > 0.9 || axis.y < -0.9) ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
  return normalized(cross(axis, helper));
}

}  // namespace

int MeshObject::addVertex(Vec3 v) {
  vertices.push_back(v);
  return static_cast<int>(vertices.size()) - 1;
}

void MeshObject::addTriangle(int a, int b, int c, int material, double u0, double v0, double u1, double v1,
                             double u2, double v2) {
  Face face;
  face.count = 3;
  face.v[0] = a;
  face.v[1] = b;
  face.v[2] = c;
  const double uv[6] = {u0, v0, u1, v1, u2, v2};
  for (int i = 0; i < 6; ++i) face.uv[i] = uv[i];
  face.material = material;
  faces.push_back(face);
}

void MeshObject::addQuad(int a, int b, int c, int d, int material, double u0, double v0, double u1, double v1) {
  Face face;
  face.count = 4;
  face.v[0] = a;
  face.v[1] = b;
  face.v[2] = c;
  face.v[3] = d;
  const double uv[8] = {u0, v1, u1, v1, u1, v0, u0, v0};
  for (int i = 0; i < 8; ++i) face.uv[i] = uv[i];
  face.material = material;
  faces.push_back(face);
}

void MeshObject::append(const MeshObject& other) {
  const int offset = static_cast<int>(vertices.size());
  vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
  for (Face face : other.faces) {
    for (int i = 0; i < face.count; ++i) face.v[i] += offset;
    faces.push_back(face);
  }
}

void addBox(MeshObject& object, Vec3 centre, Vec3 size, double yaw, int material) {
  const Vec3 h = size * 0.5;
  int v[8];
  for (int i = 0; i < 8; ++i) {
    const Vec3 corner{(i & 1) ? h.x : -h.x, (i & 2) ? h.y : -h.y, (i & 4) ? h.z : -h.z};
    v[i] = object.addVertex(centre + rotateY(corner, yaw));
  }
  // Counter-clockwise seen from outside.
  object.addQuad(v[4], v[5], v[7], v[6], material, 0, 0, 1, 1);  // +z
  object.addQuad(v[1], v[0], v[2], v[3], material, 0, 0, 1, 1);  // -z
  object.addQuad(v[5], v[1], v[3], v[7], material, 0, 0, 1, 1);  // +x
  object.addQuad(v[0], v[4], v[6], v[2], material, 0, 0, 1, 1);  // -x
  object.addQuad(v[6], v[7], v[3], v[2], material, 0, 0, 1, 1);  // +y
  object.addQuad(v[0], v[1], v[5], v[4], material, 0, 0, 1, 1);  // -y
}

void addTube(MeshObject& object, const std::vector<Vec3>& path, const std::vector<double>& radii, int sides,
             int material, bool capped) {
  const int count = static_cast<int>(path.size());
  std::vector<int> rings;
  Vec3 side = perpendicular(normalized(path[1] - path[0]));
  double along = 0;
  for (int i = 0; i < count; ++i) {
    const Vec3 tangent = normalized(i == 0 ? path[1] - path[0]
                                           : (i == count - 1 ? path[i] - path[i - 1] : path[i + 1] - path[i - 1]));
    side = normalized(side - tangent * dot(side, tangent));  // carry the frame along without twisting
    const Vec3 up = cross(tangent, side);
    rings.push_back(static_cast<int>(object.vertices.size()));
    for (int s = 0; s <= sides; ++s) {
      const double angle = 2 * kPi * s / sides;
      object.addVertex(path[i] + (side * cosine(angle) + up * sine(angle)) * radii[i]);
    }
    if (i > 0) along += length(path[i] - path[i - 1]);
  }
  double v0 = 0;
  for (int i = 0; i + 1 < count; ++i) {
    const double v1 = v0 + length(path[i + 1] - path[i]) / (2 * kPi * (radii[i] + 0.001));
    for (int s = 0; s < sides; ++s) {
      const int a = rings[i] + s, b = rings[i] + s + 1, c = rings[i + 1] + s + 1, d = rings[i + 1] + s;
      const double u0 = static_cast<double>(s) / sides, u1 = static_cast<double>(s + 1) / sides;
      Face face;
      face.count = 4;
      face.v[0] = a;
      face.v[1] = b;
      face.v[2] = c;
      face.v[3] = d;
      const double uv[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
      for (int k = 0; k < 8; ++k) face.uv[k] = uv[k];
      face.material = material;
      object.faces.push_back(face);
    }
    v0 = v1;
  }
  if (capped) {
    for (int end = 0; end < 2; ++end) {
      const int i = end == 0 ? 0 : count - 1;
      const int centre = object.addVertex(path[i]);
      for (int s = 0; s < sides; ++s) {
        if (end == 0)
          object.addTriangle(centre, rings[i] + s + 1, rings[i] + s, material, 0.5, 0.5, 0.5, 0, 0.5, 1);
        else
          object.addTriangle(centre, rings[i] + s, rings[i] + s + 1, material, 0.5, 0.5, 0.5, 0, 0.5, 1);
      }
    }
  }
  (void)along;
}

void addSphere(MeshObject& object, Vec3 centre, Vec3 radii, int slices, int stacks, int material, bool inward) {
  const int first = static_cast<int>(object.vertices.size());
  for (int j = 0; j <= stacks; ++j) {
    const double polar = kPi * j / stacks;
    for (int i = 0; i <= slices; ++i) {
      const double azimuth = 2 * kPi * i / slices;
      const Vec3 unit{sine(polar) * cosine(azimuth), cosine(polar), sine(polar) * sine(azimuth)};
      object.addVertex(centre + Vec3{unit.x * radii.x, unit.y * radii.y, unit.z * radii.z});
    }
  }
  for (int j = 0; j < stacks; ++j)
    for (int i = 0; i < slices; ++i) {
      const int a = first + j * (slices + 1) + i, b = a + 1, c = a + slices + 2, d = a + slices + 1;
      const double u0 = static_cast<double>(i) / slices, u1 = static_cast<double>(i + 1) / slices;
      const double v0 = static_cast<double>(j) / stacks, v1 = static_cast<double>(j + 1) / stacks;
      Face face;
      face.count = 4;
      // Seen from outside, (a, b, c, d) runs counter-clockwise.
      const int order[4] = {a, b, c, d};
      const double uv[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
      for (int k = 0; k < 4; ++k) face.v[k] = inward ? order[3 - k] : order[k];
      for (int k = 0; k < 4; ++k) {
        const int source = inward ? 3 - k : k;
        face.uv[k * 2] = uv[source * 2];
        face.uv[k * 2 + 1] = uv[source * 2 + 1];
      }
      face.material = material;
      object.faces.push_back(face);
    }
}

void addCard(MeshObject& object, Vec3 centre, Vec3 halfU, Vec3 halfV, int material, double u0, double v0, double u1,
             double v1) {
  const int a = object.addVertex(centre - halfU - halfV);
  const int b = object.addVertex(centre + halfU - halfV);
  const int c = object.addVertex(centre + halfU + halfV);
  const int d = object.addVertex(centre - halfU + halfV);
  object.addQuad(a, b, c, d, material, u0, v0, u1, v1);
}

void addGround(MeshObject& object, double half, int cells, double tiles, int material,
               double (*height)(double x, double z)) {
  const int first = static_cast<int>(object.vertices.size());
  for (int j = 0; j <= cells; ++j)
    for (int i = 0; i <= cells; ++i) {
      const double x = -half + 2 * half * i / cells, z = -half + 2 * half * j / cells;
      object.addVertex({x, height ? height(x, z) : 0.0, z});
    }
  for (int j = 0; j < cells; ++j)
    for (int i = 0; i < cells; ++i) {
      const int a = first + j * (cells + 1) + i, b = a + 1, c = a + cells + 2, d = a + cells + 1;
      Face face;
      face.count = 4;
      const int order[4] = {a, d, c, b};  // counter-clockwise seen from above
      const double ua = tiles * i / cells, ub = tiles * (i + 1) / cells;
      const double va = tiles * j / cells, vb = tiles * (j + 1) / cells;
      const double uv[8] = {ua, va, ua, vb, ub, vb, ub, va};
      for (int k = 0; k < 4; ++k) face.v[k] = order[k];
      for (int k = 0; k < 8; ++k) face.uv[k] = uv[k];
      face.material = material;
      object.faces.push_back(face);
    }
}

std::string toMqo(const Model& model) {
  std::string out = "Metasequoia Document\nFormat Text Ver 1.0\n\n";
  out += "Scene {\n\tpos 0.0000 0.0000 1500.0000\n\tlookat 0.0000 0.0000 0.0000\n\thead -0.5236\n\tpich 0.3491\n"
         "\tortho 0\n\tzoom2 5.0000\n\tamb 0.250 0.250 0.250\n}\n";
  out += "Material " + std::to_string(model.materials.size()) + " {\n";
  for (const Material& m : model.materials) {
    out += "\t\"" + m.name + "\" shader(3) col(" + number(m.r, 3) + " " + number(m.g, 3) + " " + number(m.b, 3) + " " +
           number(m.a, 3) + ") dif(" + number(m.diffuse, 3) + ") amb(" + number(m.ambient, 3) + ") emi(" +
           number(m.emissive, 3) + ") spc(" + number(m.specular, 3) + ") power(" + number(m.power, 2) + ")";
    if (!m.texture.empty()) out += " tex(\"" + m.texture + "\")";
    if (!m.effect.empty()) out += " bump(\"" + m.effect + "\")";
    out += "\n";
  }
  out += "}\n";
  for (const MeshObject& o : model.objects) {
    out += "Object \"" + o.name + "\" {\n\tdepth " + std::to_string(o.depth) +
           "\n\tfolding 0\n\tscale 1.000000 1.000000 1.000000\n\trotation 0.000000 0.000000 0.000000\n"
           "\ttranslation 0.000000 0.000000 0.000000\n\tvisible 15\n\tlocking 0\n\tshading 1\n\tfacet " +
           number(o.facet, 1) + "\n\tcolor 0.898 0.498 0.698\n\tcolor_type 0\n";
    out += "\tvertex " + std::to_string(o.vertices.size()) + " {\n";
    for (const Vec3& v : o.vertices)
      out += "\t\t" + number(v.x * 100, 4) + " " + number(v.y * 100, 4) + " " + number(v.z * 100, 4) + "\n";
    out += "\t}\n\tface " + std::to_string(o.faces.size()) + " {\n";
    for (const Face& f : o.faces) {
      // Metasequoia lists the corners of a front face clockwise: write them reversed.
      out += "\t\t" + std::to_string(f.count) + " V(";
      for (int k = f.count - 1; k >= 0; --k) out += std::to_string(f.v[k]) + (k ? " " : "");
      out += ") M(" + std::to_string(f.material) + ") UV(";
      for (int k = f.count - 1; k >= 0; --k)
        out += number(f.uv[k * 2], 5) + " " + number(f.uv[k * 2 + 1], 5) + (k ? " " : "");
      out += ")\n";
    }
    out += "\t}\n}\n";
  }
  for (const Bone& bone : model.bones) {
    // A bone marker is a two-point line; its midpoint is the pivot.
    const Vec3 a = bone.pivot + Vec3{0, -0.01, 0}, b = bone.pivot + Vec3{0, 0.01, 0};
    out += "Object \"_bone_:" + bone.objectName + "\" {\n\tdepth 0\n\tvisible 0\n\tvertex 2 {\n";
    out += "\t\t" + number(a.x * 100, 4) + " " + number(a.y * 100, 4) + " " + number(a.z * 100, 4) + "\n";
    out += "\t\t" + number(b.x * 100, 4) + " " + number(b.y * 100, 4) + " " + number(b.z * 100, 4) + "\n";
    out += "\t}\n\tface 1 {\n\t\t2 V(0 1) M(0)\n\t}\n}\n";
  }
  out += "Eof\n";
  return out;
}

}  // namespace orvane::show
