// Tests of the show generator: its picture writers read back by the engine's own
// readers, its models read by the model reader, the running order against the
// music's section plan, and the post-effect chain's buffer and screen coverage.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "music/arrangement.h"
#include "resource/mqo_model.h"
#include "resource/tga_reader.h"
#include "show/animations.h"
#include "show/definitions.h"
#include "show/image_files.h"
#include "show/models.h"
#include "show/running_order.h"
#include "show/textures.h"
#include "support/temp_dir.h"

namespace s = orvane::show;

namespace {

s::Image checkerWithAlpha(int width, int height) {
  s::Image image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = image.at(x, y);
      p[0] = static_cast<std::uint8_t>(x * 9);
      p[1] = static_cast<std::uint8_t>(y * 5);
      p[2] = ((x / 4 + y / 4) % 2) ? 200 : 20;  // runs of four equal pixels and single ones
      p[3] = static_cast<std::uint8_t>(x < width / 2 ? 255 : 0);
    }
  return image;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(ShowPictures, TgaRawAndRunLengthReadBackByTheLoaderPixelForPixel) {
  const s::Image image = checkerWithAlpha(16, 8);
  for (const bool withAlpha : {false, true}) {
    for (const bool runLength : {false, true}) {
      SCOPED_TRACE(std::string(withAlpha ? "alpha" : "opaque") + (runLength ? ", run-length" : ", raw"));
      const s::Bytes bytes = s::encodeTga(image, withAlpha, runLength);
      image::TgaHeader header;
      std::string error;
      ASSERT_TRUE(image::readTgaHeader(bytes.data(), bytes.size(), header, error)) << error;
      EXPECT_EQ(header.compressed, runLength);
      const int channels = withAlpha ? 4 : 3;
      std::vector<u8> pixels(16 * 8 * static_cast<std::size_t>(channels));
      ASSERT_TRUE(image::readTgaPixels(bytes.data(), bytes.size(), header, pixels.data(), error)) << error;
      for (int i = 0; i < 16 * 8 * channels; ++i)
        ASSERT_EQ(pixels[static_cast<std::size_t>(i)], image.at(i / channels % 16, i / channels / 16)[i % channels]) << i;
    }
  }
}

TEST(ShowModels, EveryModelReadsBackWithOutwardFacesAndItsBones) {
  TempDir dir;
  for (const s::NamedModel& named : s::buildModels()) {
    const std::string path = dir.write("m.mqo", s::toMqo(named.model));
    MqoModel model;
    ASSERT_TRUE(model.read(path)) << named.path << ": " << model.error();
    ASSERT_EQ(model.objects.size(), named.model.objects.size()) << named.path;
    ASSERT_EQ(model.GetMatNum(), named.model.materials.size()) << named.path;
    for (std::size_t o = 0; o < model.objects.size(); ++o)
      EXPECT_EQ(model.objects[o].name, named.model.objects[o].name) << named.path;
    for (const s::Bone& bone : named.model.bones) {
      const MqoPoint& point = model.getBone(bone.objectName);
      EXPECT_NEAR(point[0], bone.pivot.x, 1e-3) << named.path << " " << bone.objectName;
      // The reader negates the third coordinate of markers; the player negates it back.
      EXPECT_NEAR(-point[2], bone.pivot.z, 1e-3) << named.path << " " << bone.objectName;
    }
  }
}

namespace {

// What GL's linear filter with repeat wrapping reads at (u, v), v = 0 on the top row.
double filteredAlpha(const s::Image& picture, double u, double v) {
  const double x = u * picture.width - 0.5, y = v * picture.height - 0.5;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const double fx = x - x0, fy = y - y0;
  auto texel = [&](int tx, int ty) {
    tx = (tx % picture.width + picture.width) % picture.width;
    ty = (ty % picture.height + picture.height) % picture.height;
    return picture.at(tx, ty)[3] / 255.0;
  };
  return (texel(x0, y0) * (1 - fx) + texel(x0 + 1, y0) * fx) * (1 - fy) +
         (texel(x0, y0 + 1) * (1 - fx) + texel(x0 + 1, y0 + 1) * fx) * fy;
}

}  // namespace

TEST(ShowModels, PetalCardsAreCutOnlyWhereTheAlphaTestDropsEveryPixel) {
  const s::Image petal = s::paintPetal(s::kPetalSize);
  const s::UvRect cut = s::alphaTestBounds(petal, 0.3);
  EXPECT_LT((cut.u1 - cut.u0) * (cut.v1 - cut.v0), 0.6) << "most of a petal card is clear";
  int outside = 0;
  for (int j = 0; j <= 512; ++j)
    for (int i = 0; i <= 512; ++i) {
      const double u = i / 512.0, v = j / 512.0;
      if (u >= cut.u0 && u <= cut.u1 && v >= cut.v0 && v <= cut.v1) continue;
      ++outside;
      ASSERT_LE(filteredAlpha(petal, u, v), 0.3) << "a visible part of the petal is cut off at " << u << ", " << v;
    }
  EXPECT_GT(outside, 0);

  // One texel that passes: the cut reaches half a texel beyond its neighbours,
  // where the filter stops reading it.
  s::Image dot(16, 16);
  dot.set(5, 9, 1, 1, 1, 0.4);
  const s::UvRect one = s::alphaTestBounds(dot, 0.3);
  EXPECT_DOUBLE_EQ(one.u0, 4.5 / 16);
  EXPECT_DOUBLE_EQ(one.u1, 6.5 / 16);
  EXPECT_DOUBLE_EQ(one.v0, 8.5 / 16);
  EXPECT_DOUBLE_EQ(one.v1, 10.5 / 16);
  dot.set(5, 9, 1, 1, 1, 0.2);
  const s::UvRect none = s::alphaTestBounds(dot, 0.3);
  EXPECT_EQ(none.u1 - none.u0, 0.0) << "a picture the test drops whole leaves nothing of the card";
}

TEST(ShowModels, WhatASceneDrawsBeforeItsSkyIsSolidAndWhatBlendsComesAfter) {
  // The sky covers whatever has not been drawn yet. Before it, a see-through or
  // fading surface would blend with the cleared screen, and the sky could not show
  // through it afterwards; only surfaces that cover their pixels whole may come first.
  std::map<std::string, const s::Model*> byFile;
  const std::vector<s::NamedModel> models = s::buildModels();
  for (const s::NamedModel& named : models) byFile[named.path.substr(named.path.find_last_of('/') + 1)] = &named.model;
  auto endsWith = [](const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
  };
  int solidsFirst = 0;
  for (const s::QelFile& file : {s::buildMainLine(), s::buildOverlayLine()}) {
    std::map<int, std::string> paths(file.models.begin(), file.models.end());
    auto modelOf = [&](const s::QelObject& object) -> const s::Model& {
      const std::string& path = paths.at(object.model);
      return *byFile.at(path.substr(path.find_last_of('\\') + 1));
    };
    for (const s::QelScene& scene : file.scenes) {
      std::size_t sky = scene.objects.size();
      for (std::size_t i = 0; i < scene.objects.size(); ++i)
        if (scene.objects[i].model >= 0 && endsWith(paths.at(scene.objects[i].model), "sky.mqo")) sky = i;
      if (sky == scene.objects.size()) continue;  // an overlay: it blends over the other line
      for (std::size_t i = 1; i < sky; ++i) {
        const s::QelObject& object = scene.objects[i];
        const s::Model& model = modelOf(object);
        for (const s::MeshObject& mesh : model.objects)
          for (const s::Face& face : mesh.faces) {
            const s::Material& material = model.materials[static_cast<std::size_t>(face.material)];
            EXPECT_TRUE(endsWith(material.effect, "showLit.fx") || endsWith(material.effect, "showReflect.fx"))
                << scene.name << ": " << material.name << " (" << material.effect << ") before the sky";
            EXPECT_EQ(material.a, 1.0) << scene.name << ": " << material.name << " before the sky";
          }
        for (const auto& [part, poses] : object.parts)
          for (const s::Pose& pose : poses) ASSERT_EQ(pose.alpha, 1.0) << scene.name << ": " << part << " fades";
        ++solidsFirst;
      }
    }
  }
  EXPECT_GE(solidsFirst, 3) << "the box floor, the hill and the bare tree spare the sky their pixels";
}

TEST(ShowRunningOrder, MainLineTilesTheWholeTrackOnBarsInsideTheMusicSections) {
  namespace m = orvane::music;
  int end = 0;
  for (const s::SceneSlot& slot : s::kRunningOrder) {
    if (slot.line != 0) continue;
    EXPECT_EQ(slot.startMs, end) << slot.name << " must follow the scene before without a gap";
    EXPECT_EQ(slot.startMs % (4 * m::kBarMs), 0) << slot.name << " starts on a four-bar phrase";
    const m::Section& section = m::sectionAtBar(slot.startMs / m::kBarMs);
    EXPECT_EQ(section.name, slot.section) << slot.name;
    EXPECT_LE(slot.startMs + slot.lengthMs, section.endMs()) << slot.name << " stays inside " << section.name;
    end = slot.startMs + slot.lengthMs;
  }
  EXPECT_EQ(end, m::kTrackMs);
  EXPECT_EQ(end, s::kShowMs);
}

TEST(ShowRunningOrder, EverySceneLastsAsLongAsItsCameraAndItsSlot) {
  for (const s::QelFile& file : {s::buildMainLine(), s::buildOverlayLine()}) {
    int atMs = 0;
    for (const s::QelScene& scene : file.scenes) {
      ASSERT_FALSE(scene.objects.empty());
      ASSERT_EQ(scene.objects[0].model, -1) << scene.name << ": the camera comes first";
      const s::SceneSlot* slot = nullptr;
      for (const s::SceneSlot& candidate : s::kRunningOrder)
        if (candidate.name == scene.name) slot = &candidate;
      ASSERT_NE(slot, nullptr) << scene.name;
      EXPECT_EQ(slot->startMs, atMs) << scene.name;
      EXPECT_DOUBLE_EQ(scene.objects[0].times.back() * 1000.0, slot->lengthMs) << scene.name;
      atMs += slot->lengthMs;
      for (const s::QelObject& object : scene.objects)
        for (const auto& [part, poses] : object.parts) EXPECT_EQ(poses.size(), object.times.size()) << part;
    }
  }
}

namespace {

struct ChainEntry {
  std::string effect;
  unsigned start, end, order;
  int pass, output;
};

std::vector<ChainEntry> chain() {
  std::vector<ChainEntry> entries;
  std::istringstream in(s::postEffectDefinitions());
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    ChainEntry e;
    fields >> e.effect >> e.start >> e.end >> e.order >> e.pass >> e.output;
    entries.push_back(e);
  }
  return entries;
}

}  // namespace

TEST(ShowPostEffects, TheScreenIsWrittenAtEveryMomentAndWorkScreensBeforeTheyAreRead) {
  const std::vector<ChainEntry> entries = chain();
  ASSERT_GE(entries.size(), 6u);
  std::map<std::string, std::string> source;
  for (const ChainEntry& e : entries) source[e.effect] = readFile("data/shader/" + e.effect);
  for (unsigned t = 0; t <= static_cast<unsigned>(s::kShowMs); t += 250) {
    std::vector<const ChainEntry*> active;
    for (const ChainEntry& e : entries)
      if (e.start <= t && t <= e.end) active.push_back(&e);
    bool opaqueScreen = false;
    for (const ChainEntry* e : active) {
      ASSERT_FALSE(source[e->effect].empty()) << e->effect << " is missing";
      // An entry that paints the screen without blending gives every pixel a value.
      if (e->output == -1 && source[e->effect].find("BlendEnable = false") != std::string::npos) opaqueScreen = true;
      for (int n = 0; n < 4; ++n) {
        if (source[e->effect].find("workBuf" + std::to_string(n) + " ") == std::string::npos) continue;
        if (e->output == n) continue;  // a two-pass effect declares the screen it writes as well
        bool written = false;
        for (const ChainEntry* w : active) written = written || (w->output == n && w->order < e->order);
        EXPECT_TRUE(written) << e->effect << " reads work screen " << n << " at " << t << " ms before it is written";
      }
    }
    EXPECT_TRUE(opaqueScreen) << "nothing paints the screen at " << t << " ms";
  }
}
