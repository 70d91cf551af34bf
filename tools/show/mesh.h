// Polygon meshes of the show's models and their Metasequoia (MQO) text form:
// objects with a hierarchy depth, materials with texture and effect names, and
// bone markers that give animated objects their pivots.
#pragma once

#include <string>
#include <vector>

#include "show/show_math.h"

namespace orvane::show {

struct Face {
  int count = 3;  // 3 or 4 corners, counter-clockwise seen from the front
  int v[4] = {0, 0, 0, 0};
  double uv[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  int material = 0;
};

struct MeshObject {
  std::string name;
  int depth = 0;
  double facet = 59.5;
  std::vector<Vec3> vertices;  // world units; the file stores them times 100
  std::vector<Face> faces;

  int addVertex(Vec3 v);
  void addTriangle(int a, int b, int c, int material, double u0, double v0, double u1, double v1, double u2, double v2);
  void addQuad(int a, int b, int c, int d, int material, double u0, double v0, double u1, double v1);
  void append(const MeshObject& other);
};

struct Material {
  std::string name;
  double r = 1, g = 1, b = 1, a = 1;
  double diffuse = 0.8, ambient = 0.6, emissive = 0, specular = 0, power = 5;
  std::string texture;  // relative to the model's folder, empty for none
  std::string effect;   // relative to the model's folder, empty for the default effect
};

struct Bone {
  std::string objectName;  // the object that turns about this point
  Vec3 pivot;
};

struct Model {
  std::vector<Material> materials;
  std::vector<MeshObject> objects;
  std::vector<Bone> bones;
};

// Shape builders; each appends to the object.
// A box of the given size, centred, turned by `yaw` radians about y.
void addBox(MeshObject& object, Vec3 centre, Vec3 size, double yaw, int material);
// A tube along a poly-line with a radius per point; ends capped when `capped`.
void addTube(MeshObject& object, const std::vector<Vec3>& path, const std::vector<double>& radii, int sides,
             int material, bool capped);
void addSphere(MeshObject& object, Vec3 centre, Vec3 radii, int slices, int stacks, int material, bool inward);
// A flat card through `centre`, spanned by the two half-axes; both sides drawn by the effect.
void addCard(MeshObject& object, Vec3 centre, Vec3 halfU, Vec3 halfV, int material, double u0 = 0, double v0 = 0,
             double u1 = 1, double v1 = 1);
// A height-field grid over x, z in [-half, half], uv repeated `tiles` times.
void addGround(MeshObject& object, double half, int cells, double tiles, int material,
               double (*height)(double x, double z));

std::string toMqo(const Model& model);

}  // namespace orvane::show
