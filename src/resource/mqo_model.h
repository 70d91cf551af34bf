// MqoModel: a Metasequoia text model read into memory — materials, regular objects
// with their rebuilt meshes (triangles, normals, split vertices), bone and light
// markers. Does not: touch GL or load textures; resMQO does that.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "framework/types.h"
#include "resource/token_reader.h"

using MqoPoint = std::array<f32, 3>;

struct MqoMaterial {
  std::array<f32, 4> col = {0.0f, 0.0f, 0.0f, 0.0f};
  f32 dif = 0.0f;
  f32 amb = 0.0f;
  f32 emi = 0.0f;
  f32 spc = 0.0f;
  f32 power = 0.0f;
  s32 shader = 0;
  std::string tex;
  std::string aplane;
  std::string bump;  // the material's effect file
};

struct MqoFace {
  s32 num_v = 0;  // 3 after mesh building, 2 for lines
  s32 M = 0;      // faces without a material use the default one appended last
  std::array<s32, 4> V = {0, 0, 0, 0};
  std::array<std::array<f32, 2>, 4> UV = {};
};

struct MqoObject {
  u32 vertexNum = 0;
  u32 faceNum = 0;
  std::string name;
  MqoPoint color = {1.0f, 1.0f, 1.0f};
  std::vector<MqoPoint> vertex;
  std::vector<MqoPoint> normal;
  std::vector<MqoPoint> vertexColor;  // empty unless a caller provides colours
  std::vector<MqoFace> face;
  s32 depth = 0;
  std::vector<MqoPoint> faceNormal;
  f32 facet = 59.5f;
};

class MqoModel : public TokenReader {
 public:
  // Reads and builds the whole model; false with error() set (the file, the line
  // and the problem) when the file is missing, is not a text model, ends without
  // "Eof" or holds something the reader cannot take as it is.
  bool read(const std::string& path);
  const std::string& error() const { return mError; }

  u32 GetMatNum() const { return static_cast<u32>(materials.size()); }
  // The bone's point, looked up without leading '>' characters; (0, 0, 0) if absent.
  const MqoPoint& getBone(const std::string& name) const;

  // Rebuilds an object's mesh for drawing: quads to triangles, reversed winding,
  // face and vertex normals, one vertex per face corner, flat normals at edges
  // sharper than the object's facet angle. Vertex indices must lie inside the object.
  static void buildMesh(MqoObject& object);
  // What faces that name no material are drawn with; the reader appends it after
  // the file's materials when such faces exist.
  static MqoMaterial defaultMaterial();

  std::vector<MqoObject> objects;
  std::vector<MqoMaterial> materials;
  std::map<std::string, MqoPoint> bones;
  MqoPoint lightPos = {0.0f, 0.0f, 0.0f};
  MqoPoint lightLookAt = {0.0f, 0.0f, 0.0f};
  std::vector<MqoMaterial> initialMaterials;
  MqoPoint boundsMax = {-1e38f, -1e38f, -1e38f};
  MqoPoint boundsMin = {1e38f, 1e38f, 1e38f};

 private:
  // One face as the file gives it, before quads and larger polygons are split.
  struct FaceRecord {
    s32 corners = 0;
    bool hasMaterial = false;
    s32 M = 0;
    std::vector<s32> V;
    std::vector<f32> UV;  // two per corner
  };

  bool readAll(const std::string& path);
  bool readHeaderFormat();
  bool readMaterials();
  bool readMaterial(MqoMaterial& material, std::string_view& key);
  bool readObject();
  bool readRegularObject(std::string name);
  bool readVertices(MqoObject& object);
  bool readFaces(MqoObject& object);
  // "BVertex"/"BFace": a count, then an array "Vector"/"Face" of a byte count of
  // little-endian data between "[" (and its line break) and "]".
  bool readBinaryBlock(const std::string& what, std::string_view chunk, std::string_view arrayName,
                       std::string_view& bytes);
  bool readBinaryVertices(MqoObject& object);
  bool readBinaryFaces(MqoObject& object);
  // `where` makes the message's subject ("object ..., vertex N"), only on failure.
  template <class Where>
  bool addVertex(MqoObject& object, const f32 (&xyz)[3], const Where& where);
  // Checks the corners and appends the face; five corners or more become a fan.
  template <class Where>
  bool addFace(MqoObject& object, const FaceRecord& record, const Where& where, u64 line);
  void giveFacesWithoutMaterialTheDefault();
  bool readMarker(const std::string& name, bool isLight);
  bool skipChunk(std::string_view key, const std::string& where);
  // Reads the values of a "key(...)" group, at most `capacity`; the count read, or
  // -1 when the group does not close on its line.
  template <class Store>
  int readGroup(Store store, int capacity);
  // The same for a group of numbers, handed to `store` as toFloat / toInteger read them.
  template <class Value, class Store>
  int readNumbers(Store store, int capacity);
  // Records the problem at the line of the last word read, or at `line`.
  bool fail(const std::string& problem, u64 line = 0);

  std::string mError;
  std::vector<std::size_t> mObjectsToBuild;  // objects with faces, built after reading
  std::size_t mBinaryCount = 0;   // the count of the binary chunk just read
  std::size_t mBinaryOffset = 0;  // where its bytes start in the file
  bool mFacesWithoutMaterial = false;  // some face names no material: the default one is needed
};
