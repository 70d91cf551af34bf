// The conversion of convertScene: node tree to nested objects, glTF samplers to
// Qel keys (refined where the engine's Euler and parabola interpolation would
// stray), the camera to eye and target tracks, materials to generated effects.
#include "import/scene_convert.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

namespace orvane::import {
namespace {

using show::Vec3;
constexpr double kPi = 3.14159265358979323846;
// A modelview stack holds at least 32 matrices; the player and camera use a few.
constexpr int kDeepestNesting = 13;
// Keys of one scene, all parts together (about 100 bytes of text each).
constexpr std::size_t kMostKeys = 4'000'000;

struct Quat {
  double x = 0, y = 0, z = 0, w = 1;
};
Quat normalise(Quat q) {
  const double l = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  if (!(l > 0) || !std::isfinite(l)) return {};
  return {q.x / l, q.y / l, q.z / l, q.w / l};
}
double quatDot(Quat a, Quat b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
Quat slerp(Quat a, Quat b, double t) {
  double d = quatDot(a, b);
  if (d < 0) {
    b = {-b.x, -b.y, -b.z, -b.w};
    d = -d;
  }
  if (d > 0.9995) return normalise({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t, a.w + (b.w - a.w) * t});
  const double theta = std::acos(std::min(d, 1.0)), s = std::sin(theta);
  const double wa = std::sin((1 - t) * theta) / s, wb = std::sin(t * theta) / s;
  return {a.x * wa + b.x * wb, a.y * wa + b.y * wb, a.z * wa + b.z * wb, a.w * wa + b.w * wb};
}
double angleBetween(Quat a, Quat b) { return 2 * std::acos(std::min(1.0, std::fabs(quatDot(normalise(a), normalise(b))))); }

struct Mat3 {
  double m[3][3];  // row, column
};
Mat3 toMatrix(Quat q) {
  const double x = q.x, y = q.y, z = q.z, w = q.w;
  return {{{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
           {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
           {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}}};
}
Quat fromMatrix(const Mat3& r) {
  const double trace = r.m[0][0] + r.m[1][1] + r.m[2][2];
  Quat q;
  if (trace > 0) {
    const double s = std::sqrt(trace + 1.0) * 2;
    q = {(r.m[2][1] - r.m[1][2]) / s, (r.m[0][2] - r.m[2][0]) / s, (r.m[1][0] - r.m[0][1]) / s, 0.25 * s};
  } else if (r.m[0][0] > r.m[1][1] && r.m[0][0] > r.m[2][2]) {
    const double s = std::sqrt(1.0 + r.m[0][0] - r.m[1][1] - r.m[2][2]) * 2;
    q = {0.25 * s, (r.m[0][1] + r.m[1][0]) / s, (r.m[0][2] + r.m[2][0]) / s, (r.m[2][1] - r.m[1][2]) / s};
  } else if (r.m[1][1] > r.m[2][2]) {
    const double s = std::sqrt(1.0 + r.m[1][1] - r.m[0][0] - r.m[2][2]) * 2;
    q = {(r.m[0][1] + r.m[1][0]) / s, 0.25 * s, (r.m[1][2] + r.m[2][1]) / s, (r.m[0][2] - r.m[2][0]) / s};
  } else {
    const double s = std::sqrt(1.0 + r.m[2][2] - r.m[0][0] - r.m[1][1]) * 2;
    q = {(r.m[0][2] + r.m[2][0]) / s, (r.m[1][2] + r.m[2][1]) / s, 0.25 * s, (r.m[1][0] - r.m[0][1]) / s};
  }
  return normalise(q);
}
Quat axisAngle(Vec3 axis, double angle) {
  const double s = std::sin(angle / 2);
  return {axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2)};
}
Quat multiply(Quat a, Quat b) {
  return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}
// The player turns about x first, then y, then z (Rz Ry Rx).
Quat fromEuler(Vec3 e) {
  return multiply(axisAngle({0, 0, 1}, e.z), multiply(axisAngle({0, 1, 0}, e.y), axisAngle({1, 0, 0}, e.x)));
}
Vec3 toEuler(Quat q) {
  const Mat3 r = toMatrix(q);
  const double sy = std::clamp(-r.m[2][0], -1.0, 1.0);
  const double y = std::asin(sy);
  if (std::fabs(sy) > 0.9999999) return {std::atan2(-r.m[1][2], r.m[1][1]), y, 0};
  return {std::atan2(r.m[2][1], r.m[2][2]), y, std::atan2(r.m[1][0], r.m[0][0])};
}
double nearestTurn(double angle, double previous) {
  return angle + 2 * kPi * std::round((previous - angle) / (2 * kPi));
}
// Of the two Euler triples of a rotation, each shifted by whole turns, the one
// nearest the previous key: the player interpolates the angles linearly.
Vec3 continuousEuler(Quat q, const Vec3* previous) {
  const Vec3 a = toEuler(q);
  if (!previous) return a;
  const Vec3 b{a.x + kPi, kPi - a.y, a.z + kPi};
  Vec3 best;
  double bestDistance = 1e300;
  for (Vec3 c : {a, b}) {
    c = {nearestTurn(c.x, previous->x), nearestTurn(c.y, previous->y), nearestTurn(c.z, previous->z)};
    const double d = std::fabs(c.x - previous->x) + std::fabs(c.y - previous->y) + std::fabs(c.z - previous->z);
    if (d < bestDistance) {
      bestDistance = d;
      best = c;
    }
  }
  return best;
}

struct Trs {
  Vec3 t;
  Quat r;
  Vec3 s{1, 1, 1};
};

// Affine transform: rotation-scale columns and translation.
struct Affine {
  double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  Vec3 apply(Vec3 v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z + m[0][3], m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z + m[1][3],
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z + m[2][3]};
  }
  Vec3 turn(Vec3 v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
  }
};
Affine compose(const Affine& a, const Affine& b) {
  Affine c;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 4; ++j) {
      c.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + (j == 3 ? a.m[i][3] : 0);
    }
  }
  return c;
}
Affine toAffine(const Trs& p) {
  const Mat3 r = toMatrix(p.r);
  Affine a;
  const double s[3] = {p.s.x, p.s.y, p.s.z};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) a.m[i][j] = r.m[i][j] * s[j];
  a.m[0][3] = p.t.x;
  a.m[1][3] = p.t.y;
  a.m[2][3] = p.t.z;
  return a;
}

struct Channel {
  int node = -1;
  int path = 0;  // 0 translation, 1 rotation, 2 scale
  int interpolation = 1;  // 0 step, 1 linear, 2 cubic spline
  std::vector<float> times;
  std::vector<float> values;  // 3 or 4 per element; three elements per key for cubic splines
};

std::vector<double> channelValue(const Channel& c, double t) {
  const std::size_t n = c.times.size();
  const std::size_t width = c.path == 1 ? 4 : 3;
  const std::size_t stride = c.interpolation == 2 ? 3 : 1;
  const std::size_t middle = c.interpolation == 2 ? 1 : 0;
  auto element = [&](std::size_t key, std::size_t part) {
    std::vector<double> v(width);
    for (std::size_t i = 0; i < width; ++i) v[i] = c.values[(key * stride + part) * width + i];
    return v;
  };
  if (t <= c.times.front() || n == 1) return element(0, middle);
  if (t >= c.times.back()) return element(n - 1, middle);
  const std::size_t k = static_cast<std::size_t>(std::upper_bound(c.times.begin(), c.times.end(), t) - c.times.begin()) - 1;
  const double t0 = c.times[k], t1 = c.times[k + 1], span = t1 - t0;
  const double u = span > 0 ? (t - t0) / span : 0;
  std::vector<double> r(width);
  if (c.interpolation == 0) return element(k, middle);
  if (c.interpolation == 1) {
    const std::vector<double> a = element(k, 0), b = element(k + 1, 0);
    if (c.path == 1) {
      const Quat q = slerp(normalise({a[0], a[1], a[2], a[3]}), normalise({b[0], b[1], b[2], b[3]}), u);
      return {q.x, q.y, q.z, q.w};
    }
    for (std::size_t i = 0; i < width; ++i) r[i] = a[i] + (b[i] - a[i]) * u;
    return r;
  }
  const std::vector<double> v0 = element(k, 1), b0 = element(k, 2), a1 = element(k + 1, 0), v1 = element(k + 1, 1);
  const double u2 = u * u, u3 = u2 * u;
  for (std::size_t i = 0; i < width; ++i)
    r[i] = (2 * u3 - 3 * u2 + 1) * v0[i] + span * (u3 - 2 * u2 + u) * b0[i] + (-2 * u3 + 3 * u2) * v1[i] +
           span * (u3 - u2) * a1[i];
  return r;
}

Trs nodeRest(const tinygltf::Node& node) {
  Trs p;
  if (node.matrix.size() == 16) {
    const auto& m = node.matrix;  // column-major
    Vec3 columns[3] = {{m[0], m[1], m[2]}, {m[4], m[5], m[6]}, {m[8], m[9], m[10]}};
    p.t = {m[12], m[13], m[14]};
    double s[3] = {show::length(columns[0]), show::length(columns[1]), show::length(columns[2])};
    if (show::dot(show::cross(columns[0], columns[1]), columns[2]) < 0) s[0] = -s[0];
    Mat3 r;
    for (int j = 0; j < 3; ++j) {
      const Vec3 c = s[j] != 0 ? columns[j] * (1.0 / s[j]) : Vec3{j == 0 ? 1.0 : 0, j == 1 ? 1.0 : 0, j == 2 ? 1.0 : 0};
      r.m[0][j] = c.x;
      r.m[1][j] = c.y;
      r.m[2][j] = c.z;
    }
    p.r = fromMatrix(r);
    p.s = {s[0], s[1], s[2]};
    return p;
  }
  if (node.translation.size() == 3) p.t = {node.translation[0], node.translation[1], node.translation[2]};
  if (node.rotation.size() == 4) p.r = normalise({node.rotation[0], node.rotation[1], node.rotation[2], node.rotation[3]});
  if (node.scale.size() == 3) p.s = {node.scale[0], node.scale[1], node.scale[2]};
  return p;
}

std::string number(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.4f", v);
  return text;
}

// Everything the conversion keeps between its steps.
struct Converter {
  const GltfSource& source;
  const ImportOptions& options;
  const tinygltf::Model& m;
  ConvertedScene out;
  std::set<std::string> warned;
  std::vector<int> order;      // nodes in the order their objects are written
  std::vector<int> parent;     // per node
  std::vector<int> nodeDepth;  // per node
  std::vector<std::string> objectName;  // per node
  std::vector<Trs> rest;       // per node
  std::set<std::string> names;
  int cameraNode = -1;
  int lightNode = -1;
  double radius = 1;
  Vec3 centre;

  Converter(const GltfSource& s, const ImportOptions& o) : source(s), options(o), m(s.model) {}

  void warn(const std::string& feature, const std::string& done) {
    if (warned.insert(feature).second) out.warnings.push_back(feature + ": " + done);
  }

  std::string unique(const std::string& wanted) {
    std::string name = wanted;
    for (int i = 2; !names.insert(name).second; ++i) name = wanted + "." + std::to_string(i);
    return name;
  }

  void collectNodes() {
    parent.assign(m.nodes.size(), -1);
    nodeDepth.assign(m.nodes.size(), 0);
    objectName.assign(m.nodes.size(), "");
    rest.resize(m.nodes.size());
    for (std::size_t i = 0; i < m.nodes.size(); ++i) {
      rest[i] = nodeRest(m.nodes[i]);
      for (int c : m.nodes[i].children) parent[static_cast<std::size_t>(c)] = static_cast<int>(i);
    }
    std::vector<int> roots;
    if (!m.scenes.empty()) {
      roots = m.scenes[static_cast<std::size_t>(std::max(m.defaultScene, 0))].nodes;
    } else {
      for (std::size_t i = 0; i < m.nodes.size(); ++i)
        if (parent[i] == -1) roots.push_back(static_cast<int>(i));
    }
    // Depth first, without recursion: the order of the model's objects.
    std::vector<std::pair<int, int>> stack;
    for (auto it = roots.rbegin(); it != roots.rend(); ++it) stack.push_back({*it, 0});
    int deepest = 0;
    while (!stack.empty()) {
      const auto [node, depth] = stack.back();
      stack.pop_back();
      order.push_back(node);
      nodeDepth[static_cast<std::size_t>(node)] = depth;
      deepest = std::max(deepest, depth);
      const auto& children = m.nodes[static_cast<std::size_t>(node)].children;
      for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back({*it, depth + 1});
    }
    if (deepest > kDeepestNesting)
      warn("node hierarchy", std::to_string(deepest + 1) + " levels deep; the player nests " +
                                 std::to_string(kDeepestNesting + 1) + ", deeper nodes follow their level's ancestor");
    for (int node : order) {
      const tinygltf::Node& n = m.nodes[static_cast<std::size_t>(node)];
      objectName[static_cast<std::size_t>(node)] = unique(safeName(n.name, "node" + std::to_string(node)));
      if (n.skin >= 0) warn("skins", "meshes drawn in their bind pose, joints not animated");
      if (n.camera >= 0 && cameraNode < 0 && options.camera.empty()) cameraNode = node;
      if (!options.camera.empty() && n.camera >= 0 &&
          (n.name == options.camera || m.cameras[static_cast<std::size_t>(n.camera)].name == options.camera))
        cameraNode = node;
      const auto light = n.extensions.find("KHR_lights_punctual");
      if (light != n.extensions.end() && lightNode < 0) lightNode = node;
    }
    if (!options.camera.empty() && cameraNode < 0)
      refuse(source, "no camera node is called \"" + options.camera + "\"");
  }

  Affine world(int node, const std::vector<Trs>& pose) const {
    Affine a = toAffine(pose[static_cast<std::size_t>(node)]);
    for (int p = parent[static_cast<std::size_t>(node)]; p != -1; p = parent[static_cast<std::size_t>(p)])
      a = compose(toAffine(pose[static_cast<std::size_t>(p)]), a);
    return a;
  }

  // Materials: one per glTF material, then one for primitives without.
  std::map<int, std::string> pictureOfImage;

  std::string picture(int textureIndex, int texCoord, const tinygltf::ExtensionMap& extensions) {
    if (textureIndex < 0) return "";
    if (texCoord != 0) warn("second UV sets", "the first UV set is used instead");
    if (extensions.count("KHR_texture_transform")) warn("texture transforms (KHR_texture_transform)", "ignored");
    const tinygltf::Texture& texture = m.textures[static_cast<std::size_t>(textureIndex)];
    int image = texture.source;
    if (image < 0) {
      warn("textures without a PNG or JPEG source", "drawn untextured");
      return "";
    }
    const auto known = pictureOfImage.find(image);
    if (known != pictureOfImage.end()) return known->second;
    const tinygltf::Image& img = m.images[static_cast<std::size_t>(image)];
    std::string bytes(img.image.begin(), img.image.end());
    if (img.bufferView >= 0 && bytes.empty()) {
      const tinygltf::BufferView& view = m.bufferViews[static_cast<std::size_t>(img.bufferView)];
      const auto& data = m.buffers[static_cast<std::size_t>(view.buffer)].data;
      bytes.assign(data.begin() + static_cast<std::ptrdiff_t>(view.byteOffset),
                   data.begin() + static_cast<std::ptrdiff_t>(view.byteOffset + view.byteLength));
    }
    std::string extension;
    if (bytes.size() >= 8 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) extension = ".png";
    else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xff\xd8\xff") == 0) extension = ".jpg";
    if (extension.empty()) {
      warn("pictures other than PNG and JPEG", "their materials are drawn untextured");
      pictureOfImage[image] = "";
      return "";
    }
    const std::string name = "picture" + std::to_string(image) + extension;
    out.files.push_back({name, std::move(bytes)});
    pictureOfImage[image] = name;
    return name;
  }

  std::string effectText(const std::string& materialName, const tinygltf::Material* material) {
    const bool doubleSided = material && material->doubleSided;
    const std::string mode = material ? material->alphaMode : "OPAQUE";
    Vec3 emissive;
    if (material && material->emissiveFactor.size() == 3)
      emissive = {material->emissiveFactor[0], material->emissiveFactor[1], material->emissiveFactor[2]};
    if (material && material->emissiveTexture.index >= 0)
      warn("emissive textures", "the emissive colour is used without its texture");
    std::string t = "// Written by orvane-import for the material \"" + materialName +
                    "\": base colour times its texture, lit by the scene's light, plus the emissive colour.\n";
    t += "uniform float4x4 shWorldMat;\nuniform float4x4 shViewMat;\nuniform float4x4 shVProjMat;\n";
    t += "float4 shMqoColor = float4(1, 1, 1, 1);\n";
    t += "sampler2D shBaseTexture = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = Repeat; WrapT = Repeat; };\n\n";
    t += "varying vec2 uv;\nvarying vec3 viewNormal;\nvarying vec3 viewPosition;\nvarying vec3 toLight;\n\n";
    t += "void modelVertex() {\n  gl_Position = shVProjMat * gl_Vertex;\n  vec4 position = shWorldMat * gl_Vertex;\n";
    t += "  viewPosition = position.xyz;\n  viewNormal = mat3(shWorldMat) * gl_Normal;\n  uv = gl_MultiTexCoord0.xy;\n";
    t += lightVertex + "}\n\n";
    t += "vec4 shade() {\n  vec4 albedo = texture2D(shBaseTexture, uv) * shMqoColor;\n  vec3 n = normalize(viewNormal);\n";
    t += "  if (dot(n, -viewPosition) < 0.0) n = -n;\n";
    t += "  float diffuse = max(dot(n, normalize(toLight)), 0.0);\n";
    t += "  vec3 colour = albedo.rgb * (vec3(0.2, 0.2, 0.2) + vec3(" + number(lightColour.x) + ", " +
         number(lightColour.y) + ", " + number(lightColour.z) + ") * diffuse) + vec3(" + number(emissive.x) + ", " +
         number(emissive.y) + ", " + number(emissive.z) + ");\n";
    t += std::string("  return vec4(colour, ") + (mode == "BLEND" || mode == "MASK" ? "albedo.a" : "1.0") + ");\n}\n\n";
    t += "technique Material {\n  pass Shade {\n    VertexProgram = compile glslv modelVertex();\n"
         "    FragmentProgram = compile glslf shade();\n";
    if (mode == "BLEND") {
      t += "    BlendEnable = true;\n    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);\n    DepthMask = false;\n";
    } else {
      t += "    BlendEnable = false;\n    DepthMask = true;\n";
    }
    if (mode == "MASK") {
      const double cutoff = material ? material->alphaCutoff : 0.5;
      t += "    AlphaTestEnable = true;\n    AlphaFunc = float2(GEqual, " + number(cutoff) + ");\n";
    } else {
      t += "    AlphaTestEnable = false;\n";
    }
    t += std::string("    CullFaceEnable = ") + (doubleSided ? "false" : "true") + ";\n  }\n}\n";
    return t;
  }

  std::string lightVertex;
  Vec3 lightColour{1, 1, 1};

  void makeLight() {
    // Model units here: the effect works in the space its matrices give it.
    if (lightNode < 0) {
      const Vec3 d = show::normalized({0.45, 0.6, 0.65});
      lightVertex = "  toLight = mat3(shViewMat) * vec3(" + number(d.x) + ", " + number(d.y) + ", " + number(d.z) + ");\n";
      out.light = {centre + d * (radius * 3), centre};
      return;
    }
    const tinygltf::Node& node = m.nodes[static_cast<std::size_t>(lightNode)];
    const tinygltf::Value& ext = node.extensions.at("KHR_lights_punctual");
    int index = ext.Has("light") && ext.Get("light").IsInt() ? ext.Get("light").GetNumberAsInt() : -1;
    if (index < 0 || static_cast<std::size_t>(index) >= m.lights.size())
      refuse(source, "node " + std::to_string(lightNode) + " refers to light " + std::to_string(index) +
                         ", outside the " + std::to_string(m.lights.size()) + " there are");
    const tinygltf::Light& light = m.lights[static_cast<std::size_t>(index)];
    if (light.color.size() == 3) lightColour = {light.color[0], light.color[1], light.color[2]};
    const Affine w = world(lightNode, rest);
    const Vec3 position = w.apply({0, 0, 0}) * options.scale;
    const Vec3 forward = show::normalized(w.turn({0, 0, -1}));
    out.light = {position, position + forward * radius};
    if (light.type == "directional" || light.type == "spot") {
      if (light.type == "spot") warn("spot lights", "drawn as directional lights along their axis");
      const Vec3 d = forward * -1.0;
      lightVertex = "  toLight = mat3(shViewMat) * vec3(" + number(d.x) + ", " + number(d.y) + ", " + number(d.z) + ");\n";
    } else {
      lightVertex = "  toLight = (shViewMat * vec4(" + number(position.x) + ", " + number(position.y) + ", " +
                    number(position.z) + ", 1.0)).xyz - position.xyz;\n";
    }
  }

  void makeMaterials() {
    for (std::size_t i = 0; i < m.materials.size(); ++i) {
      const tinygltf::Material& g = m.materials[i];
      show::Material mat;
      mat.name = safeName(g.name, "material" + std::to_string(i));
      const auto& f = g.pbrMetallicRoughness.baseColorFactor;
      if (f.size() == 4) {
        mat.r = std::clamp(f[0], 0.0, 1.0);
        mat.g = std::clamp(f[1], 0.0, 1.0);
        mat.b = std::clamp(f[2], 0.0, 1.0);
        mat.a = std::clamp(f[3], 0.0, 1.0);
      }
      if (g.alphaMode == "OPAQUE") mat.a = 1;
      const auto& base = g.pbrMetallicRoughness.baseColorTexture;
      mat.texture = picture(base.index, base.texCoord, base.extensions);
      mat.effect = options.name + "_m" + std::to_string(i) + ".fx";
      out.files.push_back({mat.effect, effectText(mat.name, &g)});
      out.model.materials.push_back(mat);
    }
    makeDefaultMaterial();
  }

  // Faces are made before the effects (which need the scene's light): the
  // material without a glTF counterpart takes the index after glTF's own.
  int materialFor(int index) {
    if (index >= 0) return index;
    needDefault = true;
    return static_cast<int>(m.materials.size());
  }
  bool needDefault = false;

  void makeDefaultMaterial() {
    if (needDefault) {
      show::Material mat;
      mat.name = "default";
      mat.effect = options.name + "_default.fx";
      out.files.push_back({mat.effect, effectText(mat.name, nullptr)});
      out.model.materials.push_back(mat);
    }
  }

  void addPrimitive(show::MeshObject& object, const tinygltf::Primitive& primitive, int meshIndex) {
    if (!primitive.targets.empty()) warn("morph targets", "the base shape is drawn, targets and weights are ignored");
    if (primitive.extensions.count("KHR_draco_mesh_compression")) {
      warn("Draco compression (KHR_draco_mesh_compression)", "compressed primitives left out");
      return;
    }
    const auto position = primitive.attributes.find("POSITION");
    if (position == primitive.attributes.end()) return;
    const tinygltf::Accessor& positions = m.accessors[static_cast<std::size_t>(position->second)];
    if (positions.bufferView >= 0 &&
        m.bufferViews[static_cast<std::size_t>(positions.bufferView)].extensions.count("EXT_meshopt_compression")) {
      warn("meshopt compression (EXT_meshopt_compression)", "compressed primitives left out");
      return;
    }
    if (primitive.mode != TINYGLTF_MODE_TRIANGLES && primitive.mode != TINYGLTF_MODE_TRIANGLE_STRIP &&
        primitive.mode != TINYGLTF_MODE_TRIANGLE_FAN && primitive.mode != -1) {
      warn("points and lines", "left out");
      return;
    }
    const std::string what = "mesh " + std::to_string(meshIndex) + " positions";
    const std::vector<float> xyz = readFloats(source, position->second, 3, what.c_str());
    const std::size_t count = xyz.size() / 3;
    std::vector<float> uv;
    const auto texcoord = primitive.attributes.find("TEXCOORD_0");
    if (texcoord != primitive.attributes.end()) {
      uv = readFloats(source, texcoord->second, 2, "TEXCOORD_0");
      if (uv.size() / 2 != count) refuse(source, "mesh " + std::to_string(meshIndex) + ": TEXCOORD_0 has " +
                                                     std::to_string(uv.size() / 2) + " elements, POSITION " +
                                                     std::to_string(count));
    }
    if (primitive.attributes.count("TEXCOORD_1")) warn("second UV sets", "the first UV set is used instead");
    std::vector<std::uint32_t> indices;
    if (primitive.indices >= 0) {
      indices = readIndices(source, primitive.indices, count);
    } else {
      indices.resize(count);
      for (std::size_t i = 0; i < count; ++i) indices[i] = static_cast<std::uint32_t>(i);
    }
    std::vector<std::array<std::uint32_t, 3>> triangles;
    if (primitive.mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
      for (std::size_t i = 2; i < indices.size(); ++i)
        triangles.push_back(i % 2 ? std::array{indices[i - 1], indices[i - 2], indices[i]}
                                  : std::array{indices[i - 2], indices[i - 1], indices[i]});
    } else if (primitive.mode == TINYGLTF_MODE_TRIANGLE_FAN) {
      for (std::size_t i = 2; i < indices.size(); ++i) triangles.push_back({indices[0], indices[i - 1], indices[i]});
    } else {
      for (std::size_t i = 0; i + 2 < indices.size(); i += 3) triangles.push_back({indices[i], indices[i + 1], indices[i + 2]});
    }
    const int material = materialFor(primitive.material);
    const int first = static_cast<int>(object.vertices.size());
    object.vertices.reserve(object.vertices.size() + count);
    for (std::size_t i = 0; i < count; ++i)
      object.vertices.push_back(Vec3{xyz[i * 3], xyz[i * 3 + 1], xyz[i * 3 + 2]} * options.scale);
    object.faces.reserve(object.faces.size() + triangles.size());
    for (const auto& tri : triangles) {
      show::Face face;
      face.count = 3;
      face.material = material;
      for (int k = 0; k < 3; ++k) {
        face.v[k] = first + static_cast<int>(tri[static_cast<std::size_t>(k)]);
        if (!uv.empty()) {
          face.uv[k * 2] = uv[tri[static_cast<std::size_t>(k)] * 2];
          face.uv[k * 2 + 1] = uv[tri[static_cast<std::size_t>(k)] * 2 + 1];
        }
      }
      object.faces.push_back(face);
    }
    out.triangles += triangles.size();
  }

  void makeObjects() {
    for (int node : order) {
      const tinygltf::Node& n = m.nodes[static_cast<std::size_t>(node)];
      const int depth = nodeDepth[static_cast<std::size_t>(node)];
      // The player, stepping back up the tree, nests the next object under the
      // last one of the same depth: an untransformed group before every node
      // makes that the right parent.
      show::MeshObject group;
      group.name = unique(objectName[static_cast<std::size_t>(node)] + ".group");
      group.depth = 2 * depth;
      out.model.objects.push_back(std::move(group));
      show::MeshObject object;
      object.name = objectName[static_cast<std::size_t>(node)];
      object.depth = 2 * depth + 1;
      // glTF's vertex normals were split where the surface is hard: smooth everywhere else.
      object.facet = 180;
      if (n.mesh >= 0) {
        const tinygltf::Mesh& mesh = m.meshes[static_cast<std::size_t>(n.mesh)];
        for (const auto& primitive : mesh.primitives) addPrimitive(object, primitive, n.mesh);
        // A mirrored node turns its faces inside out (glTF flips their winding there);
        // the player does not, so the faces are written the other way round.
        const Affine w = world(node, rest);
        const double det = w.m[0][0] * (w.m[1][1] * w.m[2][2] - w.m[1][2] * w.m[2][1]) -
                           w.m[0][1] * (w.m[1][0] * w.m[2][2] - w.m[1][2] * w.m[2][0]) +
                           w.m[0][2] * (w.m[1][0] * w.m[2][1] - w.m[1][1] * w.m[2][0]);
        if (det < 0) {
          for (show::Face& face : object.faces) {
            std::swap(face.v[1], face.v[2]);
            std::swap(face.uv[2], face.uv[4]);
            std::swap(face.uv[3], face.uv[5]);
          }
        }
      }
      out.model.objects.push_back(std::move(object));
    }
  }

  void measure() {
    Vec3 low{1e300, 1e300, 1e300}, high{-1e300, -1e300, -1e300};
    bool any = false;
    std::size_t index = 0;
    for (int node : order) {
      const show::MeshObject& object = out.model.objects[index * 2 + 1];
      ++index;
      const Affine w = world(node, restScaled());
      for (const Vec3& v : object.vertices) {
        const Vec3 p = w.apply(v);
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
        any = true;
      }
    }
    if (!any) return;
    centre = (low + high) * 0.5;
    radius = std::max(show::length(high - low) * 0.5, 1e-3);
  }

  mutable std::vector<Trs> scaledRest;
  const std::vector<Trs>& restScaled() const {
    if (scaledRest.empty()) {
      scaledRest = rest;
      for (Trs& p : scaledRest) p.t = p.t * options.scale;
    }
    return scaledRest;
  }

  // --- animation -----------------------------------------------------------

  std::vector<Channel> channels(const tinygltf::Animation& animation, std::size_t index) {
    std::vector<Channel> list;
    for (const auto& ch : animation.channels) {
      if (ch.target_path == "weights") {
        warn("morph targets", "the base shape is drawn, targets and weights are ignored");
        continue;
      }
      if (ch.target_node < 0) continue;
      Channel c;
      c.node = ch.target_node;
      c.path = ch.target_path == "translation" ? 0 : ch.target_path == "rotation" ? 1 : ch.target_path == "scale" ? 2 : -1;
      if (c.path < 0) continue;
      const tinygltf::AnimationSampler& sampler = animation.samplers[static_cast<std::size_t>(ch.sampler)];
      c.interpolation = sampler.interpolation == "STEP" ? 0 : sampler.interpolation == "CUBICSPLINE" ? 2 : 1;
      const std::string what = "animation " + std::to_string(index) + " sampler " + std::to_string(ch.sampler);
      c.times = readFloats(source, sampler.input, 1, (what + " input").c_str());
      c.values = readFloats(source, sampler.output, c.path == 1 ? 4 : 3, (what + " output").c_str());
      const std::size_t expected = c.times.size() * (c.interpolation == 2 ? 3 : 1) * (c.path == 1 ? 4 : 3);
      if (c.times.empty()) refuse(source, what + " has no keys");
      if (c.values.size() != expected)
        refuse(source, what + " has " + std::to_string(c.times.size()) + " key times but " +
                           std::to_string(c.values.size() / (c.path == 1 ? 4 : 3)) + " values");
      for (std::size_t k = 0; k < c.times.size(); ++k) {
        if (c.times[k] < 0 || (k && c.times[k] < c.times[k - 1]))
          refuse(source, what + " input, key " + std::to_string(k) + ": times must rise from 0");
      }
      if (c.times.back() > 3600) refuse(source, what + " lasts more than an hour");
      list.push_back(std::move(c));
    }
    return list;
  }

  std::vector<Trs> poseAt(const std::vector<Channel>& list, double t) const {
    std::vector<Trs> pose = rest;
    for (const Channel& c : list) {
      const std::vector<double> v = channelValue(c, t);
      Trs& p = pose[static_cast<std::size_t>(c.node)];
      if (c.path == 0) p.t = {v[0], v[1], v[2]};
      else if (c.path == 1) p.r = normalise({v[0], v[1], v[2], v[3]});
      else p.s = {v[0], v[1], v[2]};
    }
    for (Trs& p : pose) p.t = p.t * options.scale;
    return pose;
  }

  struct CameraKey {
    Vec3 eye, target;
    double fov = 0, roll = 0;
  };

  double cameraFov(bool warnings) {
    if (cameraNode < 0) return 45 * kPi / 180;
    const tinygltf::Camera& camera = m.cameras[static_cast<std::size_t>(m.nodes[static_cast<std::size_t>(cameraNode)].camera)];
    if (camera.type != "perspective") {
      if (warnings) warn("orthographic cameras", "drawn as a perspective camera of 45 degrees");
      return 45 * kPi / 180;
    }
    const double fov = camera.perspective.yfov;
    if (!(fov > 0.01 && fov < 3.1)) refuse(source, "camera " + std::to_string(m.nodes[static_cast<std::size_t>(cameraNode)].camera) + " has a field of view of " + number(fov) + " radians");
    if (warnings && camera.perspective.aspectRatio > 0 && std::fabs(camera.perspective.aspectRatio - 16.0 / 9.0) > 0.01)
      warn("camera aspect ratio " + number(camera.perspective.aspectRatio), "the player draws 16:9 with the same vertical field of view");
    return fov;
  }

  CameraKey cameraAt(const std::vector<Trs>& pose, double fov, const CameraKey* previous) const {
    CameraKey key;
    key.fov = fov;
    if (cameraNode < 0) {
      // Frames the scene's bounds from the front, a little above.
      const double distance = radius / std::sin(fov / 2) * 1.1;
      const Vec3 direction = show::normalized({0, 0.35, 1});
      key.eye = centre + direction * distance;
      key.target = centre;
      return key;
    }
    const Affine w = world(cameraNode, pose);
    key.eye = w.apply({0, 0, 0});
    const Vec3 forward = show::normalized(w.turn({0, 0, -1}));
    const Vec3 up = show::normalized(w.turn({0, 1, 0}));
    key.target = key.eye + forward * std::max(radius, 1.0 * options.scale);
    // The player rolls the view about its axis after looking with y up.
    Vec3 side = show::cross(forward, {0, 1, 0});
    if (show::length(side) < 1e-9) side = {1, 0, 0};
    side = show::normalized(side);
    const Vec3 viewUp = show::cross(side, forward);
    key.roll = std::atan2(show::dot(side, up), show::dot(viewUp, up));
    if (previous) key.roll = nearestTurn(key.roll, previous->roll);
    return key;
  }

  // The player's interpolation of one value track: linear, or the parabola
  // through three keys for positions when there are more than two.
  static double playerValue(const std::vector<double>& times, const std::vector<double>& values, double t,
                            bool parabola) {
    const std::size_t n = times.size();
    if (n == 1) return values[0];
    // Times rise strictly, so the player's first interval holding t is found by halving.
    if (t < times[0] || t > times[n - 1]) return values[n - 1];
    std::size_t k = static_cast<std::size_t>(std::upper_bound(times.begin(), times.end(), t) - times.begin());
    k = k == 0 ? 0 : std::min(k - 1, n - 2);
    if (k > 0 && times[k] == t) --k;
    const double u = (t - times[k]) / (times[k + 1] - times[k]);
    if (!parabola || n == 2) return values[k] * (1 - u) + values[k + 1] * u;
    if (k == 0) return 0.5 * (values[0] * (u * u - 3 * u + 2) + values[1] * (4 * u - 2 * u * u) + values[2] * (u * u - u));
    return 0.5 * (values[k - 1] * (u * u - u) + values[k] * (2 - 2 * u * u) + values[k + 1] * (u * u + u));
  }

  // Keys of every animated part and of the camera on a grid of times; returns
  // the intervals where the player's reading strays from glTF's.
  struct Sampled {
    std::map<int, std::vector<show::Pose>> parts;  // node -> pose per time
    std::vector<CameraKey> camera;
  };

  Sampled sample(const std::vector<Channel>& list, const std::vector<double>& grid, double fov) const {
    Sampled s;
    for (std::size_t i = 0; i < grid.size(); ++i) {
      const std::vector<Trs> pose = poseAt(list, grid[i]);
      for (int node : order) {
        std::vector<show::Pose>& keys = s.parts[node];
        const Trs& p = pose[static_cast<std::size_t>(node)];
        show::Pose key;
        key.position = p.t;
        key.scale = p.s;
        key.rotation = continuousEuler(p.r, keys.empty() ? nullptr : &keys.back().rotation);
        keys.push_back(key);
      }
      s.camera.push_back(cameraAt(pose, fov, s.camera.empty() ? nullptr : &s.camera.back()));
    }
    return s;
  }

  std::vector<std::size_t> strayIntervals(const std::vector<Channel>& list, const std::vector<double>& grid,
                                          const Sampled& s, double fov, const std::set<double>& steps = {}) const {
    std::vector<std::size_t> stray;
    const double positionTolerance = std::max(1e-4, radius * 2e-4);
    const double angleTolerance = 0.5 * kPi / 180;
    std::set<int> animated;
    for (const Channel& c : list) animated.insert(c.node);
    auto column = [&](const std::vector<show::Pose>& keys, auto field) {
      std::vector<double> v;
      v.reserve(keys.size());
      for (const show::Pose& k : keys) v.push_back(field(k));
      return v;
    };
    struct Track {
      int node;
      std::vector<double> px, py, pz, rx, ry, rz, sx, sy, sz;
    };
    std::vector<Track> tracks;
    for (int node : animated) {
      // Channels may move nodes outside the scene: nothing of theirs is drawn.
      const auto found = s.parts.find(node);
      if (found == s.parts.end()) continue;
      const auto& keys = found->second;
      tracks.push_back({node, column(keys, [](const show::Pose& k) { return k.position.x; }),
                        column(keys, [](const show::Pose& k) { return k.position.y; }),
                        column(keys, [](const show::Pose& k) { return k.position.z; }),
                        column(keys, [](const show::Pose& k) { return k.rotation.x; }),
                        column(keys, [](const show::Pose& k) { return k.rotation.y; }),
                        column(keys, [](const show::Pose& k) { return k.rotation.z; }),
                        column(keys, [](const show::Pose& k) { return k.scale.x; }),
                        column(keys, [](const show::Pose& k) { return k.scale.y; }),
                        column(keys, [](const show::Pose& k) { return k.scale.z; })});
    }
    std::vector<double> ex, ey, ez, tx, ty, tz, roll;
    for (const CameraKey& k : s.camera) {
      ex.push_back(k.eye.x), ey.push_back(k.eye.y), ez.push_back(k.eye.z);
      tx.push_back(k.target.x), ty.push_back(k.target.y), tz.push_back(k.target.z);
      roll.push_back(k.roll);
    }
    for (std::size_t i = 0; i + 1 < grid.size(); ++i) {
      // A jump (a step key) is two keys a millisecond apart: nothing to refine.
      if (grid[i + 1] - grid[i] < 0.002) continue;
      // Beside a step even keys cannot be; what strays there within a key step stays local.
      bool besideStep = false;
      for (std::size_t j = i > 0 ? i - 1 : 0; j <= std::min(i + 2, grid.size() - 1); ++j) besideStep |= steps.count(grid[j]) > 0;
      if (besideStep && grid[i + 1] - grid[i] <= 1.5 / options.fps) continue;
      bool bad = false;
      for (double u : {0.25, 0.5, 0.75}) {
        const double t = grid[i] + (grid[i + 1] - grid[i]) * u;
        const std::vector<Trs> truth = poseAt(list, t);
        for (const Track& k : tracks) {
          const Trs& p = truth[static_cast<std::size_t>(k.node)];
          const Vec3 position{playerValue(grid, k.px, t, true), playerValue(grid, k.py, t, true), playerValue(grid, k.pz, t, true)};
          const Vec3 scale{playerValue(grid, k.sx, t, false), playerValue(grid, k.sy, t, false), playerValue(grid, k.sz, t, false)};
          const Quat rotation = fromEuler({playerValue(grid, k.rx, t, false), playerValue(grid, k.ry, t, false),
                                           playerValue(grid, k.rz, t, false)});
          if (show::length(position - p.t) > positionTolerance || angleBetween(rotation, p.r) > angleTolerance ||
              show::length(scale - p.s) > 1e-3 * std::max(1.0, show::length(p.s))) {
            bad = true;
            break;
          }
        }
        if (!bad && cameraNode >= 0) {
          const CameraKey c = cameraAt(truth, fov, &s.camera[i]);
          const Vec3 eye{playerValue(grid, ex, t, true), playerValue(grid, ey, t, true), playerValue(grid, ez, t, true)};
          const Vec3 target{playerValue(grid, tx, t, true), playerValue(grid, ty, t, true), playerValue(grid, tz, t, true)};
          const Vec3 d1 = show::normalized(target - eye), d2 = show::normalized(c.target - c.eye);
          if (show::length(eye - c.eye) > positionTolerance ||
              std::acos(std::clamp(show::dot(d1, d2), -1.0, 1.0)) > angleTolerance ||
              std::fabs(playerValue(grid, roll, t, false) - c.roll) > angleTolerance)
            bad = true;
        }
        if (bad) break;
      }
      if (bad) stray.push_back(i);
    }
    return stray;
  }

  // Every part holds a key per time: the Qel file and the memory grow with both.
  void checkSize(std::size_t times) const {
    if (times * (order.size() + 1) > kMostKeys)
      refuse(source, "the animation needs " + std::to_string(times) + " key times for " + std::to_string(order.size()) +
                         " nodes, more than " + std::to_string(kMostKeys) + " keys (try a lower --fps)");
  }

  // The even key step: at most 1 / --fps, and a whole fraction of the frame step of
  // the glTF key times when they all fall on one of the usual frame rates.
  double keyStep(const std::vector<Channel>& list) const {
    const double most = 1.0 / options.fps;
    for (double rate : {24.0, 25.0, 30.0, 48.0, 50.0, 60.0, 120.0, options.fps}) {
      bool onFrames = true;
      for (const Channel& c : list) {
        for (float t : c.times) {
          const double frames = t * rate;
          if (std::fabs(frames - std::round(frames)) > 1e-3) onFrames = false;
        }
      }
      if (onFrames) {
        const double frame = 1.0 / rate;
        return frame / std::ceil(frame / most - 1e-9);
      }
    }
    return most;
  }

  void makeScene(const std::string& sceneName, const std::vector<Channel>& list, double duration) {
    const double fov = cameraFov(true);
    // A step jumps: the player gets the old value a millisecond before it and the
    // new one a millisecond after, so its parabolas reach across no jump.
    std::set<double> steps, keys{0.0, duration};
    for (const Channel& c : list) {
      for (float t : c.times) {
        keys.insert(t);
        if (c.interpolation == 0 && t > 0.002) steps.insert({t - 0.001, static_cast<double>(t), t + 0.001});
      }
    }
    auto tidy = [&](std::set<double> in) {
      in.insert(steps.begin(), steps.end());
      std::vector<double> grid;
      for (double t : in) {
        if (t > duration) break;
        // Keys closer than the file's time resolution would share a time.
        if (grid.empty() || t - grid.back() >= 0.0009 || steps.count(t)) {
          if (!grid.empty() && t - grid.back() < 0.0009) grid.back() = t;
          else grid.push_back(t);
        }
      }
      return grid;
    };
    // The glTF keys alone, when the player reads them as glTF does (linear moves,
    // turns within the tolerance).
    std::vector<double> grid = tidy(keys);
    checkSize(grid.size());
    Sampled s = sample(list, grid, fov);
    if (!strayIntervals(list, grid, s, fov, steps).empty()) {
      // Otherwise keys at an even step: the player's parabola takes its three keys
      // as evenly spaced. The step divides the glTF keys' frame rate when there is one.
      double step = keyStep(list);
      for (int round = 0; round < 3; ++round) {
        std::set<double> even{duration};
        const std::size_t count = static_cast<std::size_t>(duration / step + 0.5);
        checkSize(count);
        for (std::size_t i = 0; i <= count; ++i) even.insert(std::min(duration, step * static_cast<double>(i)));
        grid = tidy(even);
        checkSize(grid.size());
        s = sample(list, grid, fov);
        if (strayIntervals(list, grid, s, fov, steps).empty()) break;
        step /= 2;
      }
    }

    show::QelScene scene;
    scene.name = sceneName;
    show::QelObject camera;
    camera.model = -1;
    camera.times = grid;
    camera.partOrder = {"camera_pos", "camera_lookat"};
    for (const CameraKey& k : s.camera) {
      show::Pose eye, target;
      eye.position = k.eye;
      eye.rotation = {0, k.fov - 30 * kPi / 180, k.roll};
      target.position = k.target;
      camera.parts["camera_pos"].push_back(eye);
      camera.parts["camera_lookat"].push_back(target);
    }
    scene.objects.push_back(std::move(camera));
    show::QelObject model;
    model.model = 0;
    model.times = grid;
    for (int node : order) {
      const std::string& name = objectName[static_cast<std::size_t>(node)];
      model.partOrder.push_back(name);
      model.parts[name] = s.parts[node];
    }
    scene.objects.push_back(std::move(model));
    out.qel.scenes.push_back(std::move(scene));
    out.seconds += duration;
  }

  void makeAnimations() {
    std::set<std::string> sceneNames;
    for (std::size_t i = 0; i < m.animations.size(); ++i) {
      const std::vector<Channel> list = channels(m.animations[i], i);
      double duration = 0;
      for (const Channel& c : list) duration = std::max(duration, static_cast<double>(c.times.back()));
      duration = std::max(duration, 1.0 / options.fps);
      std::string name = options.name + "_" + safeName(m.animations[i].name, "animation" + std::to_string(i));
      for (int k = 2; !sceneNames.insert(name).second; ++k) name = options.name + "_animation" + std::to_string(i) + "_" + std::to_string(k);
      makeScene(name, list, duration);
    }
    if (m.animations.empty()) makeScene(options.name, {}, options.stillSeconds);
  }
};

}  // namespace

std::string safeName(const std::string& name, const std::string& fallback) {
  std::string out;
  for (unsigned char c : name) out += (c <= ' ' || c == '"' || c == '\\' || c == 127) ? '_' : static_cast<char>(c);
  if (out.size() > 120) out.resize(120);
  if (out.empty()) out = fallback;
  // Names the model reader gives another meaning to.
  if (out.rfind("_bone_", 0) == 0 || out.rfind("_light_", 0) == 0 || out.rfind("motion_", 0) == 0 ||
      out.rfind("camera_", 0) == 0 || out == "Eof" || out == "}" || out == "{")
    out = "n" + out;
  return out;
}

ConvertedScene convertScene(const GltfSource& source, const ImportOptions& options) {
  Converter c(source, options);
  for (const std::string& required : source.model.extensionsRequired) {
    if (required == "KHR_draco_mesh_compression" || required == "EXT_meshopt_compression")
      c.warn(required == "KHR_draco_mesh_compression" ? "Draco compression (KHR_draco_mesh_compression)"
                                                       : "meshopt compression (EXT_meshopt_compression)",
             "compressed primitives left out");
  }
  c.collectNodes();
  c.makeObjects();
  c.measure();
  c.makeLight();
  c.makeMaterials();
  c.makeAnimations();
  return std::move(c.out);
}

std::string modelText(const ConvertedScene& scene) {
  std::string text = show::toMqo(scene.model);
  const std::string end = "Eof\n";
  std::string markers;
  auto marker = [&](const char* name, Vec3 p) {
    // Two points whose midpoint is the marker, in the model's own axes.
    markers += std::string("Object \"_light_:") + name + "\" {\n\tdepth 0\n\tvisible 0\n\tvertex 2 {\n";
    for (double dy : {-1.0, 1.0})
      markers += "\t\t" + number(p.x * 100) + " " + number(p.y * 100 + dy) + " " + number(p.z * 100) + "\n";
    markers += "\t}\n\tface 1 {\n\t\t2 V(0 1) M(0)\n\t}\n}\n";
  };
  marker("pos", scene.light.position);
  marker("lookat", scene.light.target);
  text.insert(text.size() - end.size(), markers);
  return text;
}

}  // namespace orvane::import
