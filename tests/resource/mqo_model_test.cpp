// The Metasequoia reader without GL: materials, objects, markers, mesh building,
// files as newer Metasequoia versions write them, and damaged files failing with
// the file, the line and the problem instead of hanging or reading out of range.
#include "resource/mqo_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "support/source_dir.h"
#include "support/temp_dir.h"

namespace {

const char* kHeader = "Metasequoia Document\nFormat Text Ver 1.0\n\nScene {\n\tpos 0 0 1500\n\tamb 0.25 0.25 0.25\n}\n";

bool readModel(MqoModel& model, const TempDir& dir, const std::string& body, const char* name = "model.mqo") {
  const std::string path = dir.write(name, std::string(kHeader) + body);
  return model.read(path);
}

f32 length(const MqoPoint& p) { return std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]); }
f32 dot(const MqoPoint& a, const MqoPoint& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
bool finite(const MqoPoint& p) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }

// Two triangles sharing the edge (0,0,0)-(100,0,0) and meeting at a right angle.
std::string rightAngle(const char* facet) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer,
                "Object \"fold\" {\n\tfacet %s\n\tvertex 4 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t0 100 0\n\t\t0 0 100\n\t}\n"
                "\tface 2 {\n\t\t3 V(0 1 2) M(0)\n\t\t3 V(1 0 3) M(0)\n\t}\n}\nEof\n",
                facet);
  return buffer;
}

const char* kTriangle = "\tvertex 3 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t0 100 0\n\t}\n";

}  // namespace

TEST(MqoMaterials, KeysFollowTheShaderRules) {
  TempDir dir;
  MqoModel model;
  ASSERT_TRUE(readModel(model, dir,
                        "Material 5 {\n"
                        "\t\"plain\" col(0.1 0.2 0.3 0.4)\n"
                        "\t\"one\" shader(1) col(1 1 1 1) dif(0.8) amb(0.6) emi(1.000) spc(0.1) power(5)\n"
                        "\t\"three\" shader(3) col(1 1 1 1) tex(\"wood.bmp\") aplane(\"mask.bmp\")\n"
                        "\t\"bumped\" shader(2) col(1 1 1 1) bump(\"shine.fx\") proj_type(1) proj_pos(0 0 0)\n"
                        "\t\"shaderOne\" shader(1) col(1 1 1 1) emi(0.5)\n"
                        "}\nEof\n",
                        "sub/model.mqo"))
      << model.error();
  ASSERT_EQ(model.GetMatNum(), 5u);
  const MqoMaterial& plain = model.materials[0];
  EXPECT_FLOAT_EQ(plain.col[0], 0.1f);
  EXPECT_FLOAT_EQ(plain.col[3], 0.4f);
  EXPECT_EQ(model.materials[1].shader, 1);  // emi of exactly 1
  EXPECT_FLOAT_EQ(model.materials[1].dif, 0.8f);
  EXPECT_EQ(model.materials[2].shader, 3);
  const std::string directory = (dir.path() / "sub/").string();
  EXPECT_EQ(model.materials[2].tex, directory + "wood.bmp");
  EXPECT_EQ(model.materials[2].aplane, directory + "mask.bmp");
  EXPECT_EQ(model.materials[3].shader, 5);
  EXPECT_EQ(model.materials[3].bump, directory + "shine.fx");
  EXPECT_EQ(model.materials[4].shader, 0);  // 1 is stored as 0
  ASSERT_EQ(model.initialMaterials.size(), 5u);
  EXPECT_EQ(model.initialMaterials[2].tex, model.materials[2].tex);
}

TEST(MqoMesh, QuadSplitsIntoTwoReversedTrianglesWithTheirUVs) {
  TempDir dir;
  MqoModel model;
  ASSERT_TRUE(readModel(model, dir,
                        "Object \"quad\" {\n\tfacet 89\n\tvertex 4 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t100 100 0\n"
                        "\t\t0 100 0\n\t}\n\tface 1 {\n\t\t4 V(0 1 2 3) M(1) UV(0 0.1 1 0.2 1 1.3 0 1.4)\n\t}\n}\nEof\n"))
      << model.error();
  const MqoObject& object = model.objects[0];
  ASSERT_EQ(object.faceNum, 2u);
  // The triangles are (3, 1, 0) and (3, 2, 1); the second one's 3 and 1 were used
  // before, so it gets copies: the copy of 1 (vertex 4) before the copy of 3 (5).
  const MqoFace& first = object.face[0];
  const MqoFace& second = object.face[1];
  EXPECT_EQ((std::array<s32, 3>{first.V[0], first.V[1], first.V[2]}), (std::array<s32, 3>{3, 1, 0}));
  EXPECT_EQ((std::array<s32, 3>{second.V[0], second.V[1], second.V[2]}), (std::array<s32, 3>{5, 2, 4}));
  EXPECT_EQ(object.vertex[5], object.vertex[3]);
  EXPECT_EQ(object.vertex[4], object.vertex[1]);
  EXPECT_EQ(first.M, 1);
  EXPECT_FLOAT_EQ(first.UV[0][1], 1.4f);  // corner 3
  EXPECT_FLOAT_EQ(first.UV[1][1], 0.2f);  // corner 1
  EXPECT_FLOAT_EQ(second.UV[1][1], 1.3f);  // corner 2
  EXPECT_EQ(object.vertexNum, 6u);
  // Reversed winding: the quad faces -z.
  EXPECT_FLOAT_EQ(object.faceNormal[0][2], -1.0f);
}

TEST(MqoMesh, FaceGroupsReadTheSameHoweverTheyAreWritten) {
  // Plain groups are read by a quicker path than other spellings; both must agree.
  TempDir dir;
  const char* spellings[] = {
      "4 V(0 1 2 3) M(1) UV(0 0.1 1 0.2 1 1.3 0 1.4)",
      "4 V( 0 1 2 3 ) M( 1 ) UV(\t0 0.1 1 0.2 1 1.3 0 1.4 )",
      "4 V(0 1 2 3)M(1)UV(0 0.1 1 0.2 1 1.3 0 1.4)",
      "4 COL(1 1 1 1) V(3 2 1 0) V(0\t1  2 3) UV(0 1e-1 1 0.2 1 1.3 0 1.4) M(+1)",
      "4 V(0 1 2 3)\n\t\tM(1) UV(0 0.1 1 .2 1 1.3 0 1.4x)",
  };
  std::vector<MqoFace> expected;
  for (const char* spelling : spellings) {
    MqoModel model;
    ASSERT_TRUE(readModel(model, dir,
                          std::string("Object \"quad\" {\n\tvertex 4 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t100 100 0\n"
                                      "\t\t0 100 0\n\t}\n\tface 1 {\n\t\t") +
                              spelling + "\n\t}\n}\nEof\n"))
        << spelling << ": " << model.error();
    const std::vector<MqoFace>& faces = model.objects.at(0).face;
    ASSERT_EQ(faces.size(), 2u) << spelling;
    if (expected.empty()) expected = faces;
    for (std::size_t f = 0; f < faces.size(); ++f) {
      EXPECT_EQ(faces[f].M, expected[f].M) << spelling;
      EXPECT_EQ(faces[f].V, expected[f].V) << spelling;
      EXPECT_EQ(faces[f].UV, expected[f].UV) << spelling;
    }
  }
  EXPECT_EQ(expected.at(0).M, 1);
}

TEST(MqoMesh, FacetAngleChoosesSmoothOrFlatNormals) {
  TempDir dir;
  MqoModel smooth;
  ASSERT_TRUE(readModel(smooth, dir, rightAngle("59.5"), "smooth.mqo")) << smooth.error();
  const MqoObject& soft = smooth.objects[0];
  int averaged = 0;
  for (std::size_t f = 0; f < soft.face.size(); ++f) {
    for (int c = 0; c < 3; ++c) {
      const MqoPoint& normal = soft.normal[soft.face[f].V[c]];
      EXPECT_NEAR(length(normal), 1.0f, 1e-5f);
      const f32 cosine = dot(normal, soft.faceNormal[f]);
      if (std::fabs(cosine - std::sqrt(0.5f)) < 1e-4f) ++averaged;  // 45 degrees off the face
    }
  }
  EXPECT_EQ(averaged, 4);  // the two shared vertices in both faces

  MqoModel sharp;
  ASSERT_TRUE(readModel(sharp, dir, rightAngle("30"), "sharp.mqo")) << sharp.error();
  const MqoObject& hard = sharp.objects[0];
  for (std::size_t f = 0; f < hard.face.size(); ++f) {
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(dot(hard.normal[hard.face[f].V[c]], hard.faceNormal[f]), 1.0f, 1e-5f);
    }
  }
}

TEST(MqoMesh, DegenerateFacesAndUnusedVerticesGetFiniteNormals) {
  TempDir dir;
  MqoModel model;
  ASSERT_TRUE(readModel(model, dir,
                        "Object \"odd\" {\n\tfacet 180\n\tvertex 5 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t200 0 0\n"
                        "\t\t0 100 0\n\t\t9 9 9\n\t}\n\tface 3 {\n\t\t3 V(0 1 2)\n\t\t3 V(0 1 3)\n\t\t3 V(3 1 0)\n"
                        "\t}\n}\nEof\n"))
      << model.error();
  const MqoObject& object = model.objects[0];
  for (const MqoPoint& normal : object.normal) EXPECT_TRUE(finite(normal));
  EXPECT_EQ(object.faceNormal[0], (MqoPoint{0.0f, 0.0f, 0.0f}));  // collinear corners
  // The two opposite faces cancel in the average: their corners take the face normal.
  for (std::size_t f = 1; f < 3; ++f) {
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(dot(object.normal[object.face[f].V[c]], object.faceNormal[f]), 1.0f, 1e-5f);
    }
  }
  // A face line without "M" or "UV" gets material 0 and UV (0, 0).
  EXPECT_EQ(object.face[0].M, 0);
  EXPECT_EQ(object.face[0].UV[1][0], 0.0f);
}

TEST(MqoMarkers, BonesAndLightsNegateTheThirdCoordinate) {
  TempDir dir;
  MqoModel model;
  ASSERT_TRUE(readModel(model, dir,
                        "Object \"_bone_:>>arm\" {\n\tvertex 2 {\n\t\t0 100 100\n\t\t200 100 300\n\t}\n"
                        "\tface 1 {\n\t\t2 V(0 1)\n\t}\n}\n"
                        "Object \"_bone_:>\" {\n\tvertex 2 {\n\t\t0 0 0\n\t\t0 0 0\n\t}\n}\n"
                        "Object \"_light_:pos\" {\n\tvertex 2 {\n\t\t0 0 100\n\t\t0 0 100\n\t}\n}\n"
                        "Object \"_light_:lookat\" {\n\tvertex 2 {\n\t\t100 0 0\n\t\t100 0 0\n\t}\n}\n"
                        "Object \"motion_walk\" {\n\tvertex 1 {\n\t\t1 2 3\n\t}\n}\n"
                        "Object \"real\" {\n" +
                            std::string(kTriangle) + "}\nEof\n"))
      << model.error();
  ASSERT_EQ(model.objects.size(), 1u);  // markers and motions are not objects
  EXPECT_EQ(model.objects[0].name, "real");
  EXPECT_FLOAT_EQ(model.boundsMax[2], 0.0f);  // markers do not widen the bounds
  const MqoPoint& arm = model.getBone("arm");
  EXPECT_FLOAT_EQ(arm[2], -2.0f);
  EXPECT_EQ(model.getBone(">>>arm"), arm);
  EXPECT_EQ(model.bones.count(""), 1u);  // a name of only ">" becomes empty
  EXPECT_EQ(model.getBone("leg"), (MqoPoint{0.0f, 0.0f, 0.0f}));
  EXPECT_FLOAT_EQ(model.lightPos[2], -1.0f);
  EXPECT_FLOAT_EQ(model.lightLookAt[0], 1.0f);
}

TEST(MqoFiles, ANewerMetasequoiaFileLoadsWithItsUnusedChunksSkipped) {
  // Written with CR LF, a Shift-JIS object name "箱 1" (box 1) and the chunks a
  // newer Metasequoia saves that the show does not use.
  MqoModel model;
  ASSERT_TRUE(model.read(std::string(orvaneSourceDir()) + "/tests/data/models/newer.mqo")) << model.error();
  ASSERT_EQ(model.GetMatNum(), 2u);
  EXPECT_FLOAT_EQ(model.materials[1].col[1], 1.0f);
  EXPECT_EQ(model.materials[1].shader, 4);
  ASSERT_EQ(model.objects.size(), 1u);
  const MqoObject& box = model.objects[0];
  EXPECT_EQ(box.name, "\x94\xA0 1");
  EXPECT_EQ(box.faceNum, 2u);
  EXPECT_EQ(box.face[1].M, 1);
  EXPECT_FLOAT_EQ(box.face[1].UV[0][1], 1.0f);  // corner 3's UV after the reversal
  EXPECT_FLOAT_EQ(model.getBone("hand")[2], -1.0f);

  TempDir dir;
  MqoModel marked;  // saved as UTF-8 with a byte-order mark
  ASSERT_TRUE(marked.read(dir.write("bom.mqo", "\xEF\xBB\xBFMetasequoia Document\nFormat Text Ver 1.1\nEof\n")))
      << marked.error();
}

TEST(MqoDamaged, EachDamageFailsWithTheFileTheLineAndTheProblem) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string text;
    int line;
    const char* problem;
  };
  const std::string header = kHeader;  // 7 lines
  const std::string triangle = header + "Object \"o\" {\n" + kTriangle;  // lines 8 to 13
  const Case cases[] = {
      {"other.mqo", "Hello world\nEof\n", 1, "not a Metasequoia model"},
      {"noeof.mqo", header + "Material 1 {\n\"m\" col(1 1 1 1)\n}\n", 10, "without \"Eof\""},
      {"eofinobject.mqo", header + "Object \"cut\" {\n\tdepth 0\nEof\n", 10, "\"Eof\" inside object \"cut\""},
      {"eofinfaces.mqo", triangle + "\tface 2 {\n\t\t3 V(0 1 2)\nEof\n", 16, "\"Eof\" is not a face attribute"},
      {"shortvertices.mqo", header + "Object \"o\" {\n\tvertex 2 {\n\t\t1 2 3\n\t}\n}\nEof\n", 11,
       "has 1 of its 2 vertices"},
      {"hugecount.mqo", header + "Object \"o\" {\n\tvertex 2000000000 {\n\t\t1 2 3\n", 9, "more than the file holds"},
      {"hugematerials.mqo", header + "Material 100000000 {\n\t\"a\" col(1 1 1 1)\n}\nEof\n", 8,
       "the Material chunk declares 100000000 materials, more than the file holds"},
      {"badindex.mqo", triangle + "\tface 1 {\n\t\t3 V(0 1 7) M(0)\n\t}\n}\nEof\n", 15,
       "uses vertex 7, outside the object's 3 vertices"},
      {"onecorner.mqo", triangle + "\tface 1 {\n\t\t1 V(0) M(0)\n\t}\n}\nEof\n", 15, "has 1 corners"},
      {"shortface.mqo", triangle + "\tface 1 {\n\t\t3 V(0 1) M(0)\n\t}\n}\nEof\n", 15, "holds 2 values for 3 corners"},
      {"unclosedgroup.mqo", triangle + "\tface 1 {\n\t\t3 V(0 1 2\n\t}\n}\nEof\n", 16, "not a group of values"},
      {"nov.mqo", triangle + "\tface 1 {\n\t\t3 M(0)\n\t}\n}\nEof\n", 15, "has no \"V\" indices"},
      {"fewfaces.mqo", triangle + "\tface 3 {\n\t\t3 V(0 1 2)\n\t}\n}\nEof\n", 16, "has 1 of its 3 faces"},
      {"manyfaces.mqo", triangle + "\tface 1 {\n\t\t3 V(0 1 2)\n\t\t3 V(0 1 2)\n\t}\n}\nEof\n", 16,
       "more faces than the 1"},
      {"openscene.mqo", "Metasequoia Document\nScene {\n { \n", 3, "Scene chunk is not closed"},
      {"compressed.mqo", "Metasequoia Document\nFormat Compress Ver 1.0\nEof\n", 2, "is not a text model"},
      {"version.mqo", "Metasequoia Document\nFormat Text Ver 2.0\nEof\n", 2, "version 2.0 is not supported"},
      {"binary.mqo", header + "Object \"b\" {\n\tBVertex 1 {\n", 9, "does not hold a \"Vector\" array"},
      {"fewmaterials.mqo", header + "Material 3 {\n\t\"a\" col(1 1 1 1)\n}\nEof\n", 10, "lists 1 of 3 materials"},
      {"badmaterial.mqo", header + "Material 1 {\n\t\"a\" col 1 1 1 1\n}\nEof\n", 9, "is not an attribute"},
  };
  for (const Case& c : cases) {
    MqoModel model;
    const std::string path = dir.write(c.name, c.text);
    EXPECT_FALSE(model.read(path)) << c.name;
    const std::string where = path + ":" + std::to_string(c.line) + ": ";
    EXPECT_EQ(model.error().rfind(where, 0), 0u) << c.name << ": " << model.error();
    EXPECT_NE(model.error().find(c.problem), std::string::npos) << c.name << ": " << model.error();
  }
  MqoModel missing;
  EXPECT_FALSE(missing.read((dir.path() / "none.mqo").string()));
  EXPECT_NE(missing.error().find("cannot open > "), std::string::npos);
}

TEST(MqoNumbers, TheLeadingDecimalNumberOfATokenIsRead) {
  EXPECT_EQ(TokenReader::toFloat("1.5"), 1.5f);
  EXPECT_EQ(TokenReader::toFloat("+2e3"), 2000.0f);
  EXPECT_EQ(TokenReader::toFloat(".5x"), 0.5f);
  EXPECT_EQ(TokenReader::toFloat("0.1000000000000000055511151231257827"), 0.1f);
  EXPECT_EQ(TokenReader::toFloat("123456789012345678901234"), 123456789012345678901234.0f);
  EXPECT_EQ(TokenReader::toFloat("1e-400"), 0.0f);
  EXPECT_TRUE(std::isinf(TokenReader::toFloat("1e400")));
  EXPECT_EQ(TokenReader::toFloat("inf"), 0.0f);
  EXPECT_EQ(TokenReader::toFloat("0x10"), 0.0f);
  EXPECT_EQ(TokenReader::toInteger("-12abc"), -12);
  EXPECT_EQ(TokenReader::toInteger("99999999999"), 2147483647);
  EXPECT_EQ(TokenReader::toInteger("x1"), 0);
}

