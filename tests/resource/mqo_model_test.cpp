// The Metasequoia reader: materials, objects, markers, mesh building, and damaged
// files failing with a message instead of hanging or reading out of range.
#include "resource/mqo_model.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/temp_dir.h"

namespace {

const char* kHeader = "Metasequoia Document\nFormat Text Ver 1.0\n\nScene {\n\tpos 0 0 1500\n\tamb 0.25 0.25 0.25\n}\n";

struct ReadResult {
  bool ok;
  MqoModel model;
};

bool readModel(MqoModel& model, const TempDir& dir, const std::string& body, const char* name = "model.mqo") {
  const std::string path = dir.write(name, std::string(kHeader) + body);
  return model.read(path);
}

f32 length(const MqoPoint& p) { return std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]); }
f32 dot(const MqoPoint& a, const MqoPoint& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Two triangles sharing the edge (0,0,0)-(100,0,0) and meeting at a right angle.
const char* kRightAngle =
    "Object \"fold\" {\n\tfacet %s\n\tvertex 4 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t0 100 0\n\t\t0 0 100\n\t}\n"
    "\tface 2 {\n\t\t3 V(0 1 2) M(0)\n\t\t3 V(1 0 3) M(0)\n\t}\n}\nEof\n";

std::string rightAngle(const char* facet) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, kRightAngle, facet);
  return buffer;
}

}  // namespace

TEST(MqoMaterials, AttributesInOrderWithDefaults) {
  TempDir dir;
  MqoModel model;
  ASSERT_TRUE(readModel(model, dir,
                        "Material 4 {\n"
                        "\t\"plain\" col(0.1 0.2 0.3 0.4)\n"
                        "\t\"one\" shader(1) col(1 1 1 1) dif(0.8) amb(0.6) emi(1.000) spc(0.1) power(5)\n"
                        "\t\"three\" shader(3) col(1 1 1 1) tex(\"wood.bmp\") aplane(\"mask.bmp\")\n"
                        "\t\"bumped\" shader(2) col(1 1 1 1) bump(\"shine.fx\") proj_type(1) proj_pos(0 0 0)\n"
                        "}\nEof\n",
                        "sub/model.mqo"))
      << model.error();
  ASSERT_EQ(model.GetMatNum(), 4u);
  const MqoMaterial& plain = model.materials[0];
  EXPECT_FLOAT_EQ(plain.col[0], 0.1f);
  EXPECT_FLOAT_EQ(plain.col[3], 0.4f);
  EXPECT_EQ(plain.dif, 0.0f);
  EXPECT_EQ(plain.shader, 0);
  EXPECT_TRUE(plain.tex.empty());
  EXPECT_EQ(model.materials[1].shader, 1);  // emi of exactly 1
  EXPECT_FLOAT_EQ(model.materials[1].power, 5.0f);
  EXPECT_EQ(model.materials[2].shader, 3);
  const std::string directory = (dir.path() / "sub/").string();
  EXPECT_EQ(model.materials[2].tex, directory + "wood.bmp");
  EXPECT_EQ(model.materials[2].aplane, directory + "mask.bmp");
  EXPECT_EQ(model.materials[3].shader, 5);
  EXPECT_EQ(model.materials[3].bump, directory + "shine.fx");
  ASSERT_EQ(model.initialMaterials.size(), 4u);
}

TEST(MqoObjects, VerticesAreScaledAndBoundsWidened) {
  TempDir dir;
  MqoModel model;
  ASSERT_TRUE(readModel(model, dir,
                        "Object \"points\" {\n\tdepth 2\n\tvisible 0\n\tcolor 0.5 0.25 1\n\tvertex 2 {\n"
                        "\t\t100 -200 50\n\t\t-100 0 0\n\t}\n}\nEof\n"))
      << model.error();
  ASSERT_EQ(model.objects.size(), 1u);
  const MqoObject& object = model.objects[0];
  EXPECT_EQ(object.name, "points");
  EXPECT_EQ(object.depth, 2);
  EXPECT_FLOAT_EQ(object.color[1], 0.25f);
  ASSERT_EQ(object.vertexNum, 2u);
  EXPECT_FLOAT_EQ(object.vertex[0][0], 1.0f);
  EXPECT_FLOAT_EQ(object.vertex[0][1], -2.0f);
  EXPECT_TRUE(object.face.empty());
  EXPECT_FLOAT_EQ(model.boundsMax[0], 1.0f);
  EXPECT_FLOAT_EQ(model.boundsMin[0], -1.0f);
  EXPECT_FLOAT_EQ(model.boundsMin[1], -2.0f);
}

TEST(MqoMesh, QuadSplitsIntoTwoReversedTriangles) {
  TempDir dir;
  MqoModel model;
  ASSERT_TRUE(readModel(model, dir,
                        "Object \"quad\" {\n\tfacet 89\n\tvertex 4 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t100 100 0\n"
                        "\t\t0 100 0\n\t}\n\tface 1 {\n\t\t4 V(0 1 2 3) M(0) UV(0 0 1 0 1 1 0 1)\n\t}\n}\nEof\n"))
      << model.error();
  const MqoObject& object = model.objects[0];
  ASSERT_EQ(object.faceNum, 2u);
  // Before the vertex split the triangles are (3, 1, 0) and (3, 2, 1); the split
  // gives the second triangle its own copies of 3 and 1, so compare positions and UVs.
  const MqoFace& first = object.face[0];
  const MqoFace& second = object.face[1];
  EXPECT_EQ(first.V[0], 3);
  EXPECT_EQ(first.V[1], 1);
  EXPECT_EQ(first.V[2], 0);
  EXPECT_EQ(object.vertex[second.V[0]], object.vertex[3]);
  EXPECT_EQ(object.vertex[second.V[1]], object.vertex[2]);
  EXPECT_EQ(object.vertex[second.V[2]], object.vertex[1]);
  EXPECT_FLOAT_EQ(first.UV[0][1], 1.0f);  // corner 3's (0, 1)
  EXPECT_FLOAT_EQ(first.UV[2][0], 0.0f);
  EXPECT_FLOAT_EQ(second.UV[1][0], 1.0f);  // corner 2's (1, 1)
  EXPECT_FLOAT_EQ(second.UV[1][1], 1.0f);
  EXPECT_EQ(object.vertexNum, 6u);
  // Reversed winding faces -z (toward a viewer looking down +z in GL terms).
  EXPECT_FLOAT_EQ(object.faceNormal[0][2], -1.0f);
}

TEST(MqoMesh, FacetAngleChoosesSmoothOrFlatNormals) {
  TempDir dir;
  MqoModel smooth;
  ASSERT_TRUE(readModel(smooth, dir, rightAngle("59.5"), "smooth.mqo")) << smooth.error();
  const MqoObject& soft = smooth.objects[0];
  EXPECT_EQ(soft.vertexNum, 6u);
  for (const MqoFace& face : soft.face) {
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(length(soft.normal[face.V[c]]), 1.0f, 1e-5f);
    }
  }
  // The shared edge's vertices lie 45 degrees from both faces and stay averaged.
  const MqoFace& face0 = soft.face[0];
  int averaged = 0;
  for (int c = 0; c < 3; ++c) {
    const f32 cosine = dot(soft.normal[face0.V[c]], soft.faceNormal[0]);
    if (std::fabs(cosine - std::sqrt(0.5f)) < 1e-4f) ++averaged;
  }
  EXPECT_EQ(averaged, 2);

  MqoModel sharp;
  ASSERT_TRUE(readModel(sharp, dir, rightAngle("30"), "sharp.mqo")) << sharp.error();
  const MqoObject& hard = sharp.objects[0];
  for (std::size_t f = 0; f < hard.face.size(); ++f) {
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(dot(hard.normal[hard.face[f].V[c]], hard.faceNormal[f]), 1.0f, 1e-5f);
    }
  }
}

TEST(MqoMarkers, BonesAndLightsNegateTheThirdCoordinate) {
  TempDir dir;
  MqoModel model;
  ASSERT_TRUE(readModel(model, dir,
                        "Object \"_bone_:>>arm\" {\n\tvertex 2 {\n\t\t0 100 100\n\t\t200 100 300\n\t}\n"
                        "\tface 0 {\n\t}\n}\n"
                        "Object \"_light_:pos\" {\n\tvertex 2 {\n\t\t0 0 100\n\t\t0 0 100\n\t}\n}\n"
                        "Object \"_light_:lookat\" {\n\tvertex 2 {\n\t\t100 0 0\n\t\t100 0 0\n\t}\n}\n"
                        "Object \"motion_walk\" {\n\tvertex 1 {\n\t\t1 2 3\n\t}\n}\nEof\n"))
      << model.error();
  EXPECT_TRUE(model.objects.empty());
  const MqoPoint& arm = model.getBone("arm");
  EXPECT_FLOAT_EQ(arm[0], 1.0f);
  EXPECT_FLOAT_EQ(arm[1], 1.0f);
  EXPECT_FLOAT_EQ(arm[2], -2.0f);
  EXPECT_EQ(model.getBone(">>>arm"), arm);
  EXPECT_EQ(model.getBone("leg"), (MqoPoint{0.0f, 0.0f, 0.0f}));
  EXPECT_FLOAT_EQ(model.lightPos[2], -1.0f);
  EXPECT_FLOAT_EQ(model.lightLookAt[0], 1.0f);
}

TEST(MqoObjects, ObjectReachingEofBeforeVerticesIsDropped) {
  TempDir dir;
  MqoModel model;
  ASSERT_TRUE(readModel(model, dir, "Object \"cut\" {\n\tdepth 0\nEof\n")) << model.error();
  EXPECT_TRUE(model.objects.empty());
}

TEST(MqoDamaged, BadFilesFailWithAMessage) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string text;
    const char* expected;
  };
  const Case cases[] = {
      {"empty.mqo", "", "not a Metasequoia model"},
      {"other.mqo", "Hello world\nEof\n", "not a Metasequoia model"},
      {"noeof.mqo", std::string(kHeader) + "Material 1 {\n\"m\" col(1 1 1 1)\n}\n", "without \"Eof\""},
      {"shortvertices.mqo", std::string(kHeader) + "Object \"o\" {\n\tvertex 1000000 {\n\t\t1 2 3\n",
       "fewer vertices"},
      {"badindex.mqo",
       std::string(kHeader) + "Object \"o\" {\n\tvertex 3 {\n\t\t0 0 0\n\t\t1 0 0\n\t\t0 1 0\n\t}\n"
                              "\tface 1 {\n\t\t3 V(0 1 7) M(0)\n\t}\n}\nEof\n",
       "uses vertex 7 of 3"},
      {"pentagon.mqo",
       std::string(kHeader) + "Object \"o\" {\n\tvertex 3 {\n\t\t0 0 0\n\t\t1 0 0\n\t\t0 1 0\n\t}\n"
                              "\tface 1 {\n\t\t5 V(0 1 2 0 1) M(0)\n\t}\n}\nEof\n",
       "has 5 corners"},
      {"openscene.mqo", "Metasequoia Document\nScene {\n { \n", "not closed"},
      {"garbage.mqo", std::string("Metasequoia \0\xff\xfe{{{(((", 19), "without \"Eof\""},
  };
  for (const Case& c : cases) {
    MqoModel model;
    const std::string path = dir.write(c.name, c.text);
    EXPECT_FALSE(model.read(path)) << c.name;
    EXPECT_NE(model.error().find(c.expected), std::string::npos) << c.name << ": " << model.error();
    EXPECT_NE(model.error().find(c.name), std::string::npos) << c.name;
  }
  MqoModel missing;
  EXPECT_FALSE(missing.read((dir.path() / "none.mqo").string()));
  EXPECT_NE(missing.error().find("cannot open > "), std::string::npos);
}
