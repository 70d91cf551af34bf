// The conversion of Blender's scenes: the node tree as nested objects read back by
// the engine's model reader, and every animated node and the camera as the engine's
// track evaluation plays them, against Blender's own reading of the same curves
// (a key at every frame); materials, pictures, light and the feature warnings.
#include "import/scene_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "import/gltf_source.h"
#include "resource/mqo_model.h"
#include "resource/qel_track_set.h"
#include "support/source_dir.h"
#include "support/temp_dir.h"

namespace {

using orvane::import::ConvertedScene;

std::string dataFile(const char* name) { return std::string(orvaneSourceDir()) + "/tests/data/import/" + name; }

ConvertedScene convert(const char* name) {
  orvane::import::ImportOptions options;
  options.name = "t";
  return orvane::import::convertScene(orvane::import::loadGltf(dataFile(name)), options);
}

// The track set the player would read from the Qel file: the text's signs, as the
// writer puts them (third axis of positions and the x, y turns negated).
QelTrackSet playerTracks(const orvane::show::QelObject& object, bool camera) {
  QelTrackSet set;
  for (double t : object.times) set.times.push_back(static_cast<f32>(t));
  for (const auto& [name, poses] : object.parts) {
    for (const orvane::show::Pose& p : poses) {
      QelKey k;
      k.position[0] = static_cast<f32>(p.position.x), k.position[1] = static_cast<f32>(p.position.y);
      k.position[2] = static_cast<f32>(-p.position.z);
      k.rotation[0] = static_cast<f32>(camera ? p.rotation.x : -p.rotation.x);
      k.rotation[1] = static_cast<f32>(camera ? p.rotation.y : -p.rotation.y);
      k.rotation[2] = static_cast<f32>(p.rotation.z);
      k.scale[0] = static_cast<f32>(p.scale.x), k.scale[1] = static_cast<f32>(p.scale.y);
      k.scale[2] = static_cast<f32>(p.scale.z);
      set.parts[name].push_back(k);
    }
  }
  return set;
}

struct Quat {
  double x, y, z, w;
};
Quat mul(Quat a, Quat b) {
  return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}
Quat about(double x, double y, double z, double angle) {
  return {x * std::sin(angle / 2), y * std::sin(angle / 2), z * std::sin(angle / 2), std::cos(angle / 2)};
}
// The player's turn of a key: glRotate z, then -y, then -x.
Quat playerTurn(const QelKey& k) {
  return mul(about(0, 0, 1, k.rotation[2]), mul(about(0, 1, 0, -k.rotation[1]), about(1, 0, 0, -k.rotation[0])));
}
double degreesBetween(Quat a, Quat b) {
  const double d = std::fabs(a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w);
  return 2 * std::acos(std::min(1.0, d)) * 180 / 3.14159265358979;
}

}  // namespace

TEST(ImportConvert, TheNodeTreeBecomesNestedObjectsTheModelReaderAccepts) {
  const ConvertedScene scene = convert("animated.glb");
  TempDir dir;
  const std::string path = dir.write("t.mqo", orvane::import::modelText(scene));
  MqoModel model;
  ASSERT_TRUE(model.read(path.c_str())) << model.error();
  std::map<std::string, int> depth;
  for (const MqoObject& object : model.objects) depth[object.name] = object.depth;
  // Each node sits one level below an untransformed group of its own.
  EXPECT_EQ(depth.at("base"), 1);
  EXPECT_EQ(depth.at("arm.group"), 2);
  EXPECT_EQ(depth.at("arm"), 3);
  EXPECT_EQ(depth.at("hand"), 5);
  EXPECT_EQ(depth.at("other.group"), 0);
  EXPECT_EQ(depth.at("view"), 1);
  // Front faces: the reader reverses the file's clockwise order back to glTF's.
  const MqoObject& base = model.objects[1];
  ASSERT_EQ(base.name, "base");
  ASSERT_EQ(base.faceNum, 12u);
  for (u32 f = 0; f < base.faceNum; ++f) {
    const MqoFace& face = base.face[f];
    const f32* a = base.vertex[face.V[0]].data();
    const f32* b = base.vertex[face.V[1]].data();
    const f32* c = base.vertex[face.V[2]].data();
    const double n[3] = {(b[1] - a[1]) * (c[2] - a[2]) - (b[2] - a[2]) * (c[1] - a[1]),
                         (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]),
                         (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])};
    const double centre[3] = {a[0] + b[0] + c[0], a[1] + b[1] + c[1], a[2] + b[2] + c[2]};
    EXPECT_GT(n[0] * centre[0] + n[1] * centre[1] + n[2] * centre[2], 0) << "face " << f << " faces inward";
  }
  // The point light's markers.
  EXPECT_GT(std::fabs(model.lightPos[0]) + std::fabs(model.lightPos[1]), 0.1f);
}

TEST(ImportConvert, StepLinearAndCubicKeysPlayAsBlenderEvaluatesThem) {
  const ConvertedScene scene = convert("animated.glb");
  ASSERT_EQ(scene.qel.scenes.size(), 1u);
  const auto& objects = scene.qel.scenes[0].objects;
  ASSERT_EQ(objects.size(), 2u);
  const QelTrackSet camera = playerTracks(objects[0], true);
  const QelTrackSet model = playerTracks(objects[1], false);

  const orvane::import::GltfSource baked = orvane::import::loadGltf(dataFile("animated_baked.glb"));
  const tinygltf::Model& m = baked.model;
  ASSERT_EQ(m.animations.size(), 1u);
  int checked = 0;
  for (const tinygltf::AnimationChannel& channel : m.animations[0].channels) {
    const tinygltf::Node& node = m.nodes[static_cast<std::size_t>(channel.target_node)];
    const tinygltf::AnimationSampler& sampler = m.animations[0].samplers[static_cast<std::size_t>(channel.sampler)];
    const int width = channel.target_path == "rotation" ? 4 : 3;
    const std::vector<float> times = orvane::import::readFloats(baked, sampler.input, 1, "times");
    const std::vector<float> values = orvane::import::readFloats(baked, sampler.output, width, "values");
    const bool isCamera = node.camera >= 0;
    for (std::size_t k = 0; k < times.size(); ++k) {
      const f32 t = times[k];
      const float* v = &values[k * static_cast<std::size_t>(width)];
      const QelKey key = isCamera ? camera.evaluate("camera_pos", t) : model.evaluate(node.name, t);
      const std::string where = node.name + " " + channel.target_path + " at " + std::to_string(t);
      if (channel.target_path == "translation") {
        EXPECT_NEAR(key.position[0], v[0], 2e-3) << where;
        EXPECT_NEAR(key.position[1], v[1], 2e-3) << where;
        EXPECT_NEAR(-key.position[2], v[2], 2e-3) << where;
      } else if (channel.target_path == "scale") {
        EXPECT_NEAR(key.scale[0], v[0], 5e-3) << where;
        EXPECT_NEAR(key.scale[2], v[2], 5e-3) << where;
      } else if (channel.target_path == "rotation" && !isCamera) {
        EXPECT_LE(degreesBetween(playerTurn(key), {v[0], v[1], v[2], v[3]}), 0.55) << where;
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 100);
}

TEST(ImportConvert, MaterialsPicturesAndEffectsFollowTheGltfMaterials) {
  const ConvertedScene scene = convert("animated.glb");
  std::map<std::string, const orvane::show::Material*> materials;
  for (const auto& m : scene.model.materials) materials[m.name] = &m;
  ASSERT_TRUE(materials.count("textured") && materials.count("masked") && materials.count("plain"));
  EXPECT_FALSE(materials["textured"]->texture.empty());
  EXPECT_TRUE(materials["plain"]->texture.empty());
  EXPECT_NEAR(materials["plain"]->b, 0.7, 1e-3);
  std::map<std::string, std::string> files;
  for (const auto& f : scene.files) files[f.name] = f.bytes;
  // Pictures are copied as PNG; the masked material tests alpha at its cutoff.
  EXPECT_EQ(files.at(materials["textured"]->texture).substr(1, 3), "PNG");
  const std::string& masked = files.at(materials["masked"]->effect);
  EXPECT_NE(masked.find("AlphaFunc = float2(GEqual, 0.5000)"), std::string::npos);
  EXPECT_NE(files.at(materials["plain"]->effect).find("AlphaTestEnable = false"), std::string::npos);
  // The point light reaches every effect as a position.
  EXPECT_NE(masked.find("toLight = (shViewMat * vec4("), std::string::npos);
}

TEST(ImportConvert, ALinearTurnFarFromTheEulerPathStaysWithinHalfADegreeOfSlerp) {
  // Two keys, 0 and 2 s: no turn, then 170 degrees about an oblique axis. The
  // player interpolates Euler angles, which leave the slerp path between them.
  const double axis[3] = {0.48, 0.6, 0.64}, angle = 170 * 3.14159265358979 / 180;
  const float data[10] = {0, 2, 0, 0, 0, 1, static_cast<float>(axis[0] * std::sin(angle / 2)),
                          static_cast<float>(axis[1] * std::sin(angle / 2)),
                          static_cast<float>(axis[2] * std::sin(angle / 2)), static_cast<float>(std::cos(angle / 2))};
  TempDir dir;
  dir.write("turn.bin", std::string(reinterpret_cast<const char*>(data), sizeof data));
  const std::string path = dir.write("turn.gltf", R"({"asset":{"version":"2.0"},"scenes":[{"nodes":[0]}],
    "nodes":[{"name":"spinner"}],"buffers":[{"uri":"turn.bin","byteLength":40}],
    "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":8},{"buffer":0,"byteOffset":8,"byteLength":32}],
    "accessors":[{"bufferView":0,"componentType":5126,"count":2,"type":"SCALAR"},
                 {"bufferView":1,"componentType":5126,"count":2,"type":"VEC4"}],
    "animations":[{"samplers":[{"input":0,"output":1,"interpolation":"LINEAR"}],
                   "channels":[{"sampler":0,"target":{"node":0,"path":"rotation"}}]}]})");
  orvane::import::ImportOptions options;
  options.name = "t";
  const ConvertedScene scene = orvane::import::convertScene(orvane::import::loadGltf(path), options);
  const QelTrackSet model = playerTracks(scene.qel.scenes.at(0).objects.at(1), false);
  EXPECT_GT(model.times.size(), 2u);  // the two glTF keys alone stray
  double worst = 0;
  for (int i = 0; i <= 200; ++i) {
    // Slerp from no turn: the same axis, the angle growing evenly.
    const double t = i / 100.0, half = angle * (t / 2) / 2;
    const Quat truth{axis[0] * std::sin(half), axis[1] * std::sin(half), axis[2] * std::sin(half), std::cos(half)};
    worst = std::max(worst, degreesBetween(playerTurn(model.evaluate("spinner", static_cast<f32>(t))), truth));
  }
  EXPECT_LE(worst, 0.55);
}

TEST(ImportConvert, FeaturesThatAreNotCarriedOverGiveOneWarningEach) {
  // One triangle (36 bytes of positions) used by everything below.
  const std::string buffer =
      "data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA";
  TempDir dir;
  const std::string path = dir.write("features.gltf", R"({"asset":{"version":"2.0"},
    "extensionsUsed":["KHR_texture_transform","KHR_draco_mesh_compression"],
    "scenes":[{"nodes":[0,1,2,3]}],
    "nodes":[{"name":"skinned","mesh":0,"skin":0},{"name":"shaped","mesh":1},{"name":"eye","camera":0},
             {"name":"packed","mesh":2}],
    "skins":[{"joints":[1]}],
    "cameras":[{"type":"orthographic","orthographic":{"xmag":1,"ymag":1,"znear":0.1,"zfar":10}}],
    "images":[{"uri":"data:image/png;base64,AAAA"}],"textures":[{"source":0}],
    "materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0,"texCoord":1,
                  "extensions":{"KHR_texture_transform":{"scale":[2,2]}}}}}],
    "meshes":[{"primitives":[{"attributes":{"POSITION":0},"material":0}]},
              {"primitives":[{"attributes":{"POSITION":0},"targets":[{"POSITION":0}]}],"weights":[0.5]},
              {"primitives":[{"attributes":{"POSITION":0},
                "extensions":{"KHR_draco_mesh_compression":{"bufferView":0,"attributes":{"POSITION":0}}}}]}],
    "buffers":[{"uri":")" + buffer + R"(","byteLength":36}],
    "bufferViews":[{"buffer":0,"byteLength":36}],
    "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}]})");
  orvane::import::ImportOptions options;
  options.name = "t";
  const ConvertedScene scene = orvane::import::convertScene(orvane::import::loadGltf(path), options);
  std::string all;
  for (const std::string& w : scene.warnings) all += w + "\n";
  for (const char* feature : {"skins:", "morph targets:", "Draco compression", "texture transforms", "second UV sets:",
                              "orthographic cameras:", "pictures other than PNG and JPEG:"}) {
    EXPECT_NE(all.find(feature), std::string::npos) << feature << " in\n" << all;
  }
  // One line per feature, each saying what was done.
  std::set<std::string> unique(scene.warnings.begin(), scene.warnings.end());
  EXPECT_EQ(unique.size(), scene.warnings.size());
  for (const std::string& w : scene.warnings) EXPECT_NE(w.find(": "), std::string::npos) << w;
  // The compressed primitive is left out: two triangles remain.
  EXPECT_EQ(scene.triangles, 2u);
}

TEST(ImportConvert, AMirroredNodeKeepsItsFrontFacesOutward) {
  // The same triangle under a plain node and under one scaled by -1 in x.
  TempDir dir;
  const std::string path = dir.write("mirror.gltf", R"({"asset":{"version":"2.0"},"scenes":[{"nodes":[0,1]}],
    "nodes":[{"name":"plain","mesh":0},{"name":"mirrored","mesh":0,"scale":[-1,1,1]}],
    "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],
    "buffers":[{"uri":"data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA","byteLength":36}],
    "bufferViews":[{"buffer":0,"byteLength":36}],
    "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}]})");
  orvane::import::ImportOptions options;
  options.name = "t";
  const ConvertedScene scene = orvane::import::convertScene(orvane::import::loadGltf(path), options);
  const orvane::show::Face& plain = scene.model.objects.at(1).faces.at(0);
  const orvane::show::Face& mirrored = scene.model.objects.at(3).faces.at(0);
  EXPECT_EQ(plain.v[0], mirrored.v[0]);
  EXPECT_EQ(plain.v[1], mirrored.v[2]);
  EXPECT_EQ(plain.v[2], mirrored.v[1]);
}

TEST(ImportConvert, AStillSceneWithoutCameraOrLightIsFramedAndLit) {
  // A long thin triangle from (-3, 0, 0) to (3, 0, 0) and up to (0, 1, 0), no camera, no light.
  const float positions[9] = {-3, 0, 0, 3, 0, 0, 0, 1, 0};
  TempDir dir;
  dir.write("thin.bin", std::string(reinterpret_cast<const char*>(positions), sizeof positions));
  const std::string path = dir.write("thin.gltf", R"({"asset":{"version":"2.0"},"scenes":[{"nodes":[0]}],
    "nodes":[{"name":"thin","mesh":0,"translation":[10,0,0]}],
    "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],
    "buffers":[{"uri":"thin.bin","byteLength":36}],"bufferViews":[{"buffer":0,"byteLength":36}],
    "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}]})");
  orvane::import::ImportOptions options;
  options.name = "t";
  const ConvertedScene scene = orvane::import::convertScene(orvane::import::loadGltf(path), options);
  ASSERT_EQ(scene.qel.scenes.size(), 1u);
  const auto& camera = scene.qel.scenes[0].objects.at(0);
  ASSERT_EQ(camera.times.size(), 2u);
  EXPECT_GT(camera.times.back(), 0.0);  // a still scene still lasts
  const orvane::show::Pose& eye = camera.parts.at("camera_pos").at(0);
  const orvane::show::Pose& target = camera.parts.at("camera_lookat").at(0);
  // Every corner inside the player's 16:9 frustum of this field of view.
  const double fov = eye.rotation.y + 30 * 3.14159265358979 / 180;
  const orvane::show::Vec3 forward = orvane::show::normalized(target.position - eye.position);
  const orvane::show::Vec3 side = orvane::show::normalized(orvane::show::cross(forward, {0, 1, 0}));
  const orvane::show::Vec3 up = orvane::show::cross(side, forward);
  for (int i = 0; i < 3; ++i) {
    const orvane::show::Vec3 p{positions[i * 3] + 10.0, positions[i * 3 + 1], positions[i * 3 + 2]};
    const orvane::show::Vec3 d = p - eye.position;
    const double depth = orvane::show::dot(d, forward);
    ASSERT_GT(depth, 0.1);
    EXPECT_LE(std::fabs(orvane::show::dot(d, up)) / depth, std::tan(fov / 2)) << i;
    EXPECT_LE(std::fabs(orvane::show::dot(d, side)) / depth, std::tan(fov / 2) * 16 / 9) << i;
  }
  // A default light in the effect and as the model's markers, aimed at the scene.
  ASSERT_EQ(scene.files.size(), 1u);
  EXPECT_NE(scene.files[0].bytes.find("toLight = mat3(shViewMat) * vec3("), std::string::npos);
  EXPECT_GT(orvane::show::length(scene.light.position - scene.light.target), 1.0);
  EXPECT_NEAR(scene.light.target.x, 10.0, 1e-6);
}
