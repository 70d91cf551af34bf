// The importer end to end through the engine: a Blender scene of small emissive
// markers (a turned, scaled parent with child and grandchild, then another root)
// is imported into a test show, captured by the program at 320x180, and every
// marker must show within 2 pixels of where the glTF camera projects it, imported
// at its own size and at half of it.
// Also the program around it: a new show made through the show maker beside it,
// and a second import of a name replacing the first. Built as its own program: it
// runs orvane-import and orvane, whose paths it is given.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stb_image.h>

#include "import/gltf_source.h"
#include "support/show_folder.h"
#include "support/source_dir.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

struct M4 {
  double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};
M4 operator*(const M4& a, const M4& b) {
  M4 c;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      c.m[i][j] = 0;
      for (int k = 0; k < 4; ++k) c.m[i][j] += a.m[i][k] * b.m[k][j];
    }
  return c;
}

// A node's local matrix, T R S from its fields (these files carry no matrices).
M4 local(const tinygltf::Node& n) {
  M4 t, r, s;
  if (n.translation.size() == 3)
    for (int i = 0; i < 3; ++i) t.m[i][3] = n.translation[static_cast<std::size_t>(i)];
  if (n.rotation.size() == 4) {
    const double x = n.rotation[0], y = n.rotation[1], z = n.rotation[2], w = n.rotation[3];
    const double q[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                            {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                            {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) r.m[i][j] = q[i][j];
  }
  if (n.scale.size() == 3)
    for (int i = 0; i < 3; ++i) s.m[i][i] = n.scale[static_cast<std::size_t>(i)];
  return t * r * s;
}

M4 world(const tinygltf::Model& model, int node) {
  M4 w = local(model.nodes[static_cast<std::size_t>(node)]);
  for (bool found = true; found;) {
    found = false;
    for (std::size_t p = 0; p < model.nodes.size(); ++p) {
      for (int c : model.nodes[p].children) {
        if (c == node) {
          w = local(model.nodes[p]) * w;
          node = static_cast<int>(p);
          found = true;
        }
      }
    }
  }
  return w;
}

// Inverse of a rigid transform (the camera has no scale).
M4 rigidInverse(const M4& a) {
  M4 r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[j][i];
  for (int i = 0; i < 3; ++i) r.m[i][3] = -(r.m[i][0] * a.m[0][3] + r.m[i][1] * a.m[1][3] + r.m[i][2] * a.m[2][3]);
  return r;
}

struct Spot {
  double x, y;
};

// Centres of the bright pixel groups.
std::vector<Spot> brightSpots(const unsigned char* rgb, int w, int h) {
  std::vector<int> label(static_cast<std::size_t>(w * h), 0);
  std::vector<Spot> spots;
  for (int start = 0; start < w * h; ++start) {
    if (label[static_cast<std::size_t>(start)] || rgb[start * 3 + 1] < 128) continue;
    double sx = 0, sy = 0, weight = 0;
    std::vector<int> stack{start};
    label[static_cast<std::size_t>(start)] = 1;
    while (!stack.empty()) {
      const int p = stack.back();
      stack.pop_back();
      const double v = rgb[p * 3 + 1];
      sx += (p % w + 0.5) * v, sy += (p / w + 0.5) * v, weight += v;
      for (int d : {-1, 1, -w, w}) {
        const int q = p + d;
        if (q < 0 || q >= w * h || (d == -1 && p % w == 0) || (d == 1 && q % w == 0)) continue;
        if (!label[static_cast<std::size_t>(q)] && rgb[q * 3 + 1] >= 128) {
          label[static_cast<std::size_t>(q)] = 1;
          stack.push_back(q);
        }
      }
    }
    spots.push_back({sx / weight, sy / weight});
  }
  return spots;
}

int run(const std::string& command) { return std::system(command.c_str()); }

}  // namespace

TEST(ImportCapture, EmissiveMarkersLieWhereTheGltfCameraProjectsThem) {
  TempDir dir;
  const fs::path show = dir.path() / "show";
  fs::create_directories(show);
  writeTestShow(show);
  // Only the imported scene, and no post effects over it.
  std::ofstream(show / "data/definition/sceneLineDefine.txt", std::ios::trunc) << "";
  std::ofstream(show / "data/definition/postEffectDefine.txt", std::ios::trunc) << "";
  // The program plays the data folder beside it.
  fs::copy_file(ORVANE_PROGRAM, show / "orvane");
  const std::string scene = std::string(orvaneSourceDir()) + "/tests/data/import/markers.glb";
  // The picture once as imported, once at half the size: --scale moves the camera
  // with everything else, so the markers must show at the same places.
  std::vector<std::vector<Spot>> pictures;
  int w = 0, h = 0;
  for (const char* scale : {"1", "0.5"}) {
    ASSERT_EQ(run(std::string(ORVANE_IMPORT_PROGRAM) + " --scale " + scale + " '" + scene + "' '" + show.string() +
                  "' > /dev/null"),
              0);
    fs::remove_all(show / "cap");
    ASSERT_EQ(run("cd '" + show.string() + "' && SDL_AUDIODRIVER=dummy ./orvane --capture cap --size 320x180 "
                  "--fps 10 --frames 0-0 > /dev/null 2>&1"),
              0);
    int channels = 0;
    unsigned char* pixels = stbi_load((show / "cap/000000.png").c_str(), &w, &h, &channels, 3);
    ASSERT_NE(pixels, nullptr);
    ASSERT_EQ(w, 320);
    ASSERT_EQ(h, 180);
    pictures.push_back(brightSpots(pixels, w, h));
    stbi_image_free(pixels);
  }

  const orvane::import::GltfSource source = orvane::import::loadGltf(scene);
  const tinygltf::Model& model = source.model;
  int camera = -1;
  for (std::size_t i = 0; i < model.nodes.size(); ++i)
    if (model.nodes[i].camera >= 0) camera = static_cast<int>(i);
  ASSERT_GE(camera, 0);
  const M4 view = rigidInverse(world(model, camera));
  const double yfov = model.cameras[static_cast<std::size_t>(model.nodes[static_cast<std::size_t>(camera)].camera)].perspective.yfov;
  const double f = 1.0 / std::tan(yfov / 2);
  int markers = 0;
  for (std::size_t i = 0; i < model.nodes.size(); ++i) {
    if (model.nodes[i].mesh < 0) continue;
    ++markers;
    const M4 p = view * world(model, static_cast<int>(i));
    const double x = p.m[0][3], y = p.m[1][3], z = -p.m[2][3];
    const double px = (f / (16.0 / 9.0) * x / z + 1) / 2 * w, py = (1 - f * y / z) / 2 * h;
    for (std::size_t picture = 0; picture < pictures.size(); ++picture) {
      double nearest = 1e9;
      for (const Spot& s : pictures[picture]) nearest = std::min(nearest, std::hypot(s.x - px, s.y - py));
      EXPECT_LE(nearest, 2.0) << model.nodes[i].name << " expected at " << px << ", " << py << " in picture "
                              << picture;
    }
  }
  EXPECT_EQ(markers, 4);
  for (const auto& spots : pictures) EXPECT_EQ(spots.size(), 4u);
}

TEST(ImportProgram, AFolderWithoutAShowBecomesOneThroughTheShowMakerBesideTheImporter) {
  TempDir dir;
  const fs::path bin = dir.path() / "bin";
  fs::create_directories(bin);
  fs::copy_file(ORVANE_IMPORT_PROGRAM, bin / "orvane-import");
  const std::string scene = std::string(orvaneSourceDir()) + "/tests/data/import/markers.glb";
  const fs::path show = dir.path() / "new";
  // Without the show maker: refused, and nothing made.
  EXPECT_NE(run("'" + (bin / "orvane-import").string() + "' '" + scene + "' '" + show.string() + "' 2> /dev/null"), 0);
  EXPECT_FALSE(fs::exists(show));
  // A stand-in show maker: a show whose running order plays a placeholder.
  std::ofstream(bin / "orvane-new-show")
      << "#!/bin/sh\nmkdir -p \"$1/data/definition\" && printf 'data\\\\qel\\\\start.qel\\t0\\t0\\t0\\t0\\t0\\tdefault\\n' > "
         "\"$1/data/definition/sceneLineDefine.txt\"\n";
  fs::permissions(bin / "orvane-new-show", fs::perms::owner_all);
  ASSERT_EQ(run("'" + (bin / "orvane-import").string() + "' '" + scene + "' '" + show.string() + "' > /dev/null"), 0);
  EXPECT_TRUE(fs::exists(show / "data/qel/markers.qel"));
  EXPECT_TRUE(fs::exists(show / "data/model/markers/markers.mqo"));
  std::ifstream order(show / "data/definition/sceneLineDefine.txt");
  std::string last, line;
  while (std::getline(order, line)) last = line;
  // The last row of line 0 decides what it plays: the import, from 0 s.
  EXPECT_EQ(last, "data\\qel\\markers.qel\t0\t0\t0\t0\t0\tdefault");
  // Nothing of the making or staging is left beside or inside.
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_TRUE(entry.path().filename() == "bin" || entry.path().filename() == "new") << entry.path();
  for (const auto& entry : fs::directory_iterator(show / "data"))
    EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

TEST(ImportProgram, ImportingTheSameNameAgainReplacesModelAnimationAndRow) {
  TempDir dir;
  const fs::path show = dir.path() / "show";
  fs::create_directories(show / "data/definition");
  std::ofstream(show / "data/definition/sceneLineDefine.txt") << "data\\qel\\other.qel\t1\t0\t0\t0\t0\tdefault\n";
  const std::string data = std::string(orvaneSourceDir()) + "/tests/data/import/";
  const std::string import = std::string(ORVANE_IMPORT_PROGRAM) + " --name piece ";
  ASSERT_EQ(run(import + "'" + data + "animated.glb' '" + show.string() + "' > /dev/null"), 0);
  EXPECT_TRUE(fs::exists(show / "data/model/piece/picture0.png"));
  ASSERT_EQ(run(import + "--at 2.5 '" + data + "markers.glb' '" + show.string() + "' > /dev/null"), 0);
  // The second scene has no pictures: the first one's are gone with its model.
  EXPECT_FALSE(fs::exists(show / "data/model/piece/picture0.png"));
  std::ifstream model(show / "data/model/piece/piece.mqo");
  const std::string text((std::istreambuf_iterator<char>(model)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("\"marker3\""), std::string::npos);
  EXPECT_EQ(text.find("\"hand\""), std::string::npos);
  std::ifstream order(show / "data/definition/sceneLineDefine.txt");
  const std::string rows((std::istreambuf_iterator<char>(order)), std::istreambuf_iterator<char>());
  EXPECT_EQ(rows, "data\\qel\\other.qel\t1\t0\t0\t0\t0\tdefault\ndata\\qel\\piece.qel\t0\t2500\t0\t0\t0\tdefault\n");
  // A damaged file changes nothing.
  std::ofstream(dir.path() / "bad.glb", std::ios::binary) << "glTF\x02";
  EXPECT_NE(run(import + "'" + (dir.path() / "bad.glb").string() + "' '" + show.string() + "' 2> /dev/null"), 0);
  EXPECT_TRUE(fs::exists(show / "data/model/piece/piece.mqo"));
  std::ifstream again(show / "data/definition/sceneLineDefine.txt");
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()), rows);
}

TEST(ImportProgram, AShowPlayingInAuthorModeReloadsASceneImportedAgain) {
  TempDir dir;
  const fs::path show = dir.path() / "show";
  const fs::path log = dir.path() / "author.log";
  const fs::path pid = dir.path() / "author.pid";
  const std::string data = std::string(orvaneSourceDir()) + "/tests/data/import/";
  const std::string import = std::string(ORVANE_IMPORT_PROGRAM) + " --name piece ";
  ASSERT_EQ(run(import + "'" + data + "markers.glb' '" + show.string() + "' > /dev/null"), 0);
  ASSERT_EQ(run("SDL_AUDIODRIVER=dummy " + std::string(ORVANE_PROGRAM) + " --show '" + show.string() +
                "' --no-dialog --dev --windowed 160x90 2> '" + log.string() + "' & echo $! > '" + pid.string() + "'"),
            0);
  // Author mode takes its first look at the files once the show has loaded: an
  // import before that is no change to it, so the scene is imported again, in
  // turn from the two files, until a reload of the model is reported.
  auto logText = [&] {
    std::ifstream in(log);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  bool reloaded = false;
  for (int round = 0; round < 30 && !reloaded; ++round) {
    const char* file = round % 2 == 0 ? "animated.glb" : "markers.glb";
    ASSERT_EQ(run(import + "'" + data + file + "' '" + show.string() + "' > /dev/null"), 0);
    for (int wait = 0; wait < 20 && !reloaded; ++wait) {
      std::system("sleep 0.1");
      const std::string text = logText();
      reloaded = text.find("orvane: reloaded") != std::string::npos && text.find("piece.mqo") != std::string::npos;
    }
  }
  std::ifstream pidFile(pid);
  long process = 0;
  pidFile >> process;
  if (process > 0) run("kill " + std::to_string(process));
  EXPECT_TRUE(reloaded) << logText();
  EXPECT_EQ(logText().find("reload failed"), std::string::npos) << logText();
}
