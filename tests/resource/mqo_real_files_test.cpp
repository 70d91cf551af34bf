// Models as other tools write them and as hostile files claim them: faces
// without a material, polygons of five or more corners, binary vertex and face
// chunks, numbers that are not finite and names that leave the data folder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "resource/mqo_model.h"
#include "support/temp_dir.h"

namespace {

const char* kHeader = "Metasequoia Document\nFormat Text Ver 1.1\n";  // 2 lines

bool readModel(MqoModel& model, const TempDir& dir, const std::string& body, const char* name = "model.mqo") {
  return model.read(dir.write(name, std::string(kHeader) + body));
}

std::string littleEndian(u32 bits) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  return bytes;
}
std::string littleEndianInt(s32 value) { return littleEndian(static_cast<u32>(value)); }
std::string littleEndianFloat(f32 value) {
  u32 bits;
  std::memcpy(&bits, &value, sizeof bits);
  return littleEndian(bits);
}

// A binary face record: corner count, material, indices, then two floats a corner.
std::string binaryFace(s32 material, const std::vector<s32>& corners, const std::vector<f32>& uvs) {
  std::string bytes = littleEndianInt(static_cast<s32>(corners.size())) + littleEndianInt(material);
  for (s32 v : corners) bytes += littleEndianInt(v);
  for (f32 uv : uvs) bytes += littleEndianFloat(uv);
  return bytes;
}

std::string binaryChunk(const char* chunk, const char* array, std::size_t count, const std::string& bytes,
                        const char* lineBreak = "\r\n") {
  return std::string("\t") + chunk + " " + std::to_string(count) + " {\r\n\t\t" + array + " " +
         std::to_string(bytes.size()) + " [" + lineBreak + bytes + "]\r\n\t}\r\n";
}

bool finite(const MqoPoint& p) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }

}  // namespace

TEST(MqoRealFiles, FacesWithoutAMaterialUseADefaultMaterialAppendedLast) {
  TempDir dir;
  MqoModel model;
  ASSERT_TRUE(readModel(model, dir,
                        "Material 2 {\n\t\"a\" col(1 0 0 1)\n\t\"b\" col(0 1 0 1)\n}\n"
                        "Object \"o\" {\n\tvertex 3 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t0 100 0\n\t}\n"
                        "\tface 3 {\n\t\t3 V(0 1 2) M(1)\n\t\t3 V(0 1 2)\n\t\t3 V(0 1 2) M(-1)\n\t}\n}\nEof\n"))
      << model.error();
  ASSERT_EQ(model.GetMatNum(), 3u);  // the file's two, then the default
  const MqoMaterial& fallback = model.materials[2];
  EXPECT_EQ(fallback.col, (std::array<f32, 4>{1.0f, 1.0f, 1.0f, 1.0f}));
  EXPECT_TRUE(fallback.tex.empty());
  const MqoObject& object = model.objects.at(0);
  EXPECT_EQ(object.face[1].M, 2);
  EXPECT_EQ(object.face[2].M, 2);

}

TEST(MqoRealFiles, PolygonsOfFiveOrMoreCornersSplitAsAFan) {
  TempDir dir;
  MqoModel model;
  // A hexagon in the z = 0 plane; corner i has UV (i, 0), which follows it through the split.
  ASSERT_TRUE(readModel(model, dir,
                        "Object \"hex\" {\n\tvertex 6 {\n\t\t100 0 0\n\t\t50 87 0\n\t\t-50 87 0\n\t\t-100 0 0\n"
                        "\t\t-50 -87 0\n\t\t50 -87 0\n\t}\n"
                        "\tface 1 {\n\t\t6 V(0 1 2 3 4 5) M(0) UV(0 0 1 0 2 0 3 0 4 0 5 0)\n\t}\n}\nEof\n"))
      << model.error();
  const MqoObject& object = model.objects.at(0);
  ASSERT_EQ(object.faceNum, 4u);
  for (u32 f = 0; f < 4; ++f) {
    const MqoFace& face = object.face[f];
    EXPECT_EQ(face.num_v, 3);
    // Fan triangle (0, f+1, f+2), then reversed like every triangle.
    EXPECT_EQ(face.UV[0][0], static_cast<f32>(f + 2)) << f;
    EXPECT_EQ(face.UV[1][0], static_cast<f32>(f + 1)) << f;
    EXPECT_EQ(face.UV[2][0], 0.0f) << f;
    EXPECT_NEAR(std::fabs(object.faceNormal[f][2]), 1.0f, 1e-6f);
  }
  // The last triangle (0, 4, 5) reversed starts at corner 5.
  EXPECT_NEAR(object.vertex[object.face[3].V[0]][0], 0.5f, 1e-6f);
  EXPECT_NEAR(object.vertex[object.face[3].V[0]][1], -0.87f, 1e-6f);
}

TEST(MqoRealFiles, BinaryVertexAndFaceChunksReadLikeTheirTextForm) {
  TempDir dir;
  const char* vertices = "\t\t0 0 0\n\t\t100 0 0\n\t\t100 100 0\n\t\t0 100 0\n\t\t0 0 100\n";
  const std::string text = std::string("Material 1 {\n\t\"m\" col(1 1 1 1)\n}\nObject \"o\" {\n\tdepth 0\n\tvertex 5 {\n") +
                           vertices +
                           "\t}\n\tface 4 {\n\t\t4 V(0 1 2 3) M(0) UV(0 0 1 0 1 1 0 1)\n\t\t3 V(0 1 4)\n"
                           "\t\t2 V(2 4) M(0)\n\t\t5 V(0 1 2 3 4) M(0) UV(0 0 1 0 2 0 3 0 4 0)\n\t}\n}\nEof\n";
  std::string vertexBytes;
  const f32 points[5][3] = {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}, {0, 0, 100}};
  for (const auto& point : points) {
    for (f32 value : point) vertexBytes += littleEndianFloat(value);
  }
  const std::string faceBytes = binaryFace(0, {0, 1, 2, 3}, {0, 0, 1, 0, 1, 1, 0, 1}) +
                                binaryFace(-1, {0, 1, 4}, {0, 0, 0, 0, 0, 0}) + binaryFace(0, {2, 4}, {0, 0, 0, 0}) +
                                binaryFace(0, {0, 1, 2, 3, 4}, {0, 0, 1, 0, 2, 0, 3, 0, 4, 0});
  for (const char* lineBreak : {"\r\n", "\n"}) {
    const std::string binary = std::string("Material 1 {\n\t\"m\" col(1 1 1 1)\n}\r\nObject \"o\" {\r\n\tdepth 0\r\n") +
                               binaryChunk("BVertex", "Vector", 5, vertexBytes, lineBreak) +
                               binaryChunk("BFace", "Face", 4, faceBytes, lineBreak) + "}\r\nEof\r\n";
    MqoModel fromText;
    MqoModel fromBinary;
    ASSERT_TRUE(readModel(fromText, dir, text, "text.mqo")) << fromText.error();
    ASSERT_TRUE(readModel(fromBinary, dir, binary, "binary.mqo")) << fromBinary.error();
    ASSERT_EQ(fromBinary.objects.size(), 1u);
    const MqoObject& a = fromText.objects[0];
    const MqoObject& b = fromBinary.objects[0];
    EXPECT_EQ(b.vertex, a.vertex);
    EXPECT_EQ(b.normal, a.normal);
    EXPECT_EQ(b.faceNormal, a.faceNormal);
    ASSERT_EQ(b.faceNum, a.faceNum);
    for (u32 f = 0; f < a.faceNum; ++f) {
      EXPECT_EQ(b.face[f].num_v, a.face[f].num_v) << f;
      EXPECT_EQ(b.face[f].M, a.face[f].M) << f;
      EXPECT_EQ(b.face[f].V, a.face[f].V) << f;
      EXPECT_EQ(b.face[f].UV, a.face[f].UV) << f;
    }
    EXPECT_EQ(fromBinary.GetMatNum(), 2u);  // a face without material
  }
}

TEST(MqoRealFiles, MarkersWithBinaryChunksGiveTheirPoints) {
  TempDir dir;
  std::string twoPoints;
  for (f32 value : {0.0f, 100.0f, 200.0f, 100.0f, 300.0f, 400.0f}) twoPoints += littleEndianFloat(value);
  const std::string face = binaryFace(0, {0, 1, 0}, {0, 0, 0, 0, 0, 0});
  MqoModel model;
  // Face bytes that hold a lone "}" word must not end the marker early.
  ASSERT_TRUE(readModel(model, dir,
                        "Object \"_bone_:>arm\" {\n" + binaryChunk("BVertex", "Vector", 2, twoPoints) +
                            binaryChunk("BFace", "Face", 2, face + binaryFace(0, {0x207D20, 1, 0}, {0, 0, 0, 0, 0, 0})) +
                            "}\nObject \"_light_:pos\" {\n" + binaryChunk("BVertex", "Vector", 2, twoPoints) +
                            "}\nEof\n"))
      << model.error();
  const MqoPoint expected = {0.5f, 2.0f, -3.0f};  // the midpoint, third coordinate negated
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_NEAR(model.getBone("arm")[axis], expected[axis], 1e-6f);
    EXPECT_NEAR(model.lightPos[axis], expected[axis], 1e-6f);
  }
}

TEST(MqoRealFiles, DamagedBinaryChunksAndNumbersThatAreNotFiniteAreRefusedAndHugeOnesGiveFiniteNormals) {
  TempDir dir;
  const std::string vertex = littleEndianFloat(1) + littleEndianFloat(2) + littleEndianFloat(3);
  const std::string face = binaryFace(0, {0, 0, 0}, {0, 0, 0, 0, 0, 0});
  struct Case {
    std::string body;
    const char* problem;
  };
  const std::string object = "Object \"o\" {\n";
  const std::string triangle = object + "\tvertex 3 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t0 100 0\n\t}\n";
  const Case cases[] = {
      {object + binaryChunk("BVertex", "Vector", 2, vertex), "cannot hold the 2 vertices"},
      {object + "\tBVertex 1 {\n\t\tVector 12 [ " + vertex + "]\n\t}\n}\nEof\n", "after its line break"},
      {object + "\tBVertex 1 {\n\t\tVector 999999 [\n" + vertex + "]\n\t}\n}\nEof\n", "declares 999999 bytes"},
      {object + "\tBVertex 1 {\n\t\tVector 12 [" + vertex + "]\n\t}\n}\nEof\n", "has no byte count and \"[\""},
      {object + "\tBVertex 1 {\n\t\tVector 12 [\n" + vertex + "\n\t}\n}\nEof\n", "is not closed by"},
      {object + binaryChunk("BVertex", "Vector", 1, vertex) + binaryChunk("BFace", "Face", 2, face) + "}\nEof\n",
       "cannot hold the 2 faces"},
      {object + binaryChunk("BVertex", "Vector", 1, vertex) +
           binaryChunk("BFace", "Face", 1, binaryFace(0, {0, 0, 9}, {0, 0, 0, 0, 0, 0})) + "}\nEof\n",
       "uses vertex 9"},
      {object + binaryChunk("BVertex", "Vector", 1, vertex) +
           binaryChunk("BFace", "Face", 1, littleEndianInt(1000000) + littleEndianInt(0) + std::string(24, '\0')) +
           "}\nEof\n",
       "do not fit"},
      {object + binaryChunk("BVertex", "Vector", 1, vertex) + binaryChunk("BFace", "Face", 1, face + "xxxx") + "}\nEof\n",
       "4 bytes follow"},
      {object + binaryChunk("BVertex", "Vector", 1, littleEndianFloat(NAN) + littleEndianFloat(0) + littleEndianFloat(0)) +
           "}\nEof\n",
       "is not a finite point"},
      {object + "\tvertex 1 {\n\t\t1e39 0 0\n\t}\n}\nEof\n", "vertex 0 is not a finite point"},
      {triangle + "\tface 1 {\n\t\t3 V(0 1 2) UV(0 0 1e39 0 0 1)\n\t}\n}\nEof\n", "texture coordinate"},
      {"Material 1 {\n\t\"m\" col(1 1 1 1e39)\n}\nEof\n", "\"col\" holds a number too large"},
      {"Object \"_bone_:arm\" {\n\tvertex 2 {\n\t\t0 0 0\n\t\t0 1e39 0\n\t}\n}\nEof\n", "is not a finite coordinate"},
  };
  for (const Case& c : cases) {
    MqoModel model;
    EXPECT_FALSE(readModel(model, dir, c.body, "damaged.mqo")) << c.problem;
    EXPECT_NE(model.error().find("damaged.mqo:"), std::string::npos) << model.error();
    EXPECT_NE(model.error().find(c.problem), std::string::npos) << model.error();
  }
  // The largest finite coordinates: differences and cross products overflow single
  // precision, yet every normal comes out finite and of unit length.
  MqoModel huge;
  ASSERT_TRUE(readModel(huge, dir,
                        "Object \"o\" {\n\tvertex 3 {\n\t\t-3e38 -3e38 0\n\t\t3e38 -3e38 0\n\t\t-3e38 3e38 0\n\t}\n"
                        "\tface 1 {\n\t\t3 V(0 1 2)\n\t}\n}\nEof\n",
                        "huge.mqo"))
      << huge.error();
  for (const MqoPoint& normal : huge.objects.at(0).normal) {
    ASSERT_TRUE(finite(normal));
    EXPECT_NEAR(std::fabs(normal[2]), 1.0f, 1e-6f);
  }
}

TEST(MqoRealFiles, FileNamesThatLeaveTheDataFolderAreRefused) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "data/model");
  std::filesystem::create_directories(dir.path() / "elsewhere");
  std::filesystem::create_directory_symlink(dir.path() / "elsewhere", dir.path() / "data/model/link");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const char* refused[] = {"../../../etc/passwd", "C:\\textures\\wood.bmp", "..\\..\\a.bmp", "link\\a.bmp"};
  for (const char* name : refused) {
    for (const char* key : {"tex", "aplane", "bump"}) {
      MqoModel model;
      const std::string body = std::string("Material 1 {\n\t\"m\" col(1 1 1 1) ") + key + "(\"" + name + "\")\n}\nEof\n";
      dir.write("data/model/escape.mqo", std::string(kHeader) + body);
      EXPECT_FALSE(model.read("data/model/escape.mqo")) << name;
      EXPECT_NE(model.error().find("escape.mqo:4: material 0: the file name \"" + std::string(name) +
                                   "\" leaves the data folder"),
                std::string::npos)
          << model.error();
    }
  }
  // Climbing to a sibling folder inside the data folder is fine.
  MqoModel sibling;
  dir.write("data/model/fine.mqo",
            std::string(kHeader) + "Material 1 {\n\t\"m\" col(1 1 1 1) tex(\"..\\texture\\wood.bmp\")\n}\nEof\n");
  EXPECT_TRUE(sibling.read("data/model/fine.mqo")) << sibling.error();
  std::filesystem::current_path(previous);
  ASSERT_EQ(sibling.materials.size(), 1u);
  EXPECT_NE(sibling.materials[0].tex.find("data/model/..\\texture\\wood.bmp"), std::string::npos);
}
