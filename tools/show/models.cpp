// The show's models, built from boxes, tubes, spheres and cards; see models.h.
#include "show/models.h"

#include <algorithm>

#include "show/textures.h"

namespace orvane::show {

double hillHeight(double x, double z);

namespace {

const char* const kTextureDir = "..\\..\\texture\\";
const char* const kShaderDir = "..\\..\\shader\\";

Material material(const std::string& name, Vec3 colour, double alpha, const std::string& texture,
                  const std::string& effect) {
  Material m;
  m.name = name;
  m.r = colour.x;
  m.g = colour.y;
  m.b = colour.z;
  m.a = alpha;
  if (!texture.empty()) m.texture = kTextureDir + texture;
  if (!effect.empty()) m.effect = kShaderDir + effect;
  return m;
}

MeshObject object(const std::string& name, int depth = 0) {
  MeshObject o;
  o.name = name;
  o.depth = depth;
  return o;
}

// Boxes along a double helix: two strands and the rungs between them.
Model boxHelix() {
  Model model;
  model.materials.push_back(material("strandPink", {1.0, 0.72, 0.84}, 1, "boxdna.bmp", ""));
  model.materials.push_back(material("strandLilac", {0.80, 0.76, 1.0}, 1, "boxdna.bmp", ""));
  model.materials.push_back(material("rungGold", {1.0, 0.88, 0.62}, 1, "boxdna.bmp", ""));
  MeshObject strandA = object("strandA"), strandB = object("strandB"), rungs = object("rungs");
  const int steps = 22;
  for (int i = 0; i < steps; ++i) {
    const double t = static_cast<double>(i) / (steps - 1);
    const double angle = t * 3.2 * kPi, y = -2.1 + 4.2 * t, radius = 0.85;
    const Vec3 a{radius * cosine(angle), y, radius * sine(angle)};
    const Vec3 b{-a.x, y, -a.z};
    addBox(strandA, a, {0.26, 0.26, 0.26}, -angle, 0);
    addBox(strandB, b, {0.26, 0.26, 0.26}, -angle, 1);
    if (i % 2 == 0) addBox(rungs, {0, y, 0}, {radius * 1.6, 0.06, 0.06}, -angle, 2);
  }
  model.objects = {strandA, strandB, rungs};
  return model;
}

// The box floor comes as two models that share their materials, so that each
// scene's sky, drawn between them, is left unshaded behind the solid boxes and
// still shows through the see-through ones. With `seeThrough` true: the boxes of
// material 0 ("accent", which the box-floor scene recolours as it plays); with
// false: every other tile and floater, and the stacks.
Model boxFloor(bool seeThrough) {
  Model model;
  model.materials.push_back(material("accent", {0.6, 1.0, 0.7}, 0.7, "boxdna.bmp", "showLitClear.fx"));
  model.materials.push_back(material("floor", {0.62, 0.55, 0.72}, 1, "boxdna.bmp", "showLit.fx"));
  model.materials.push_back(material("boxPink", {1.0, 0.74, 0.86}, 1, "boxdna.bmp", "showLit.fx"));
  model.materials.push_back(material("boxChrome", {0.95, 0.90, 1.0}, 1, "metal.tga", "showReflect.fx"));
  MeshObject floor = object("floor");
  for (int j = -6; j < 6; ++j)
    for (int i = -6; i < 6; ++i) {
      const int tile = ((i * 7 + j * 3) & 7) == 0 ? 0 : 1;
      if ((tile == 0) == seeThrough) addBox(floor, {i + 0.5, -0.05, j + 0.5}, {0.96, 0.1, 0.96}, 0, tile);
    }
  MeshObject floaters = object("floaters");
  for (int k = 0; k < 24; ++k) {
    const double a = k * 2 * kPi / 24;
    const int box = k % 2 ? 3 : 0;
    if ((box == 0) == seeThrough)
      addBox(floaters, {3.6 * cosine(a), 1.8 + 0.5 * sine(a * 3), 3.6 * sine(a)}, {0.22, 0.22, 0.22}, a, box);
  }
  if (seeThrough) {
    model.objects = {floor, floaters};
    return model;
  }
  Random random(17);
  std::vector<MeshObject> stacks = {object("stackA"), object("stackB"), object("stackC")};
  const Vec3 bases[3] = {{-2.5, 0, -1.5}, {1.5, 0, 1.0}, {3.0, 0, -3.0}};
  for (int s = 0; s < 3; ++s) {
    double y = 0;
    for (int k = 0; k < 5 + s; ++k) {
      const double size = random.range(0.45, 0.8);
      // One draw per statement: the order of function arguments is the compiler's.
      const double turn = random.range(0, kPi);
      const Vec3 offset{random.range(-0.15, 0.15), y + size / 2, random.range(-0.15, 0.15)};
      addBox(stacks[s], bases[s] + offset, {size, size, size}, turn, (k % 3 == 2) ? 3 : 2);
      y += size;
    }
    model.bones.push_back({stacks[s].name, bases[s]});
  }
  model.objects = {floor, stacks[0], stacks[1], stacks[2], floaters};
  return model;
}

// A closed loop or open curve of tube through the given points.
std::vector<Vec3> curve(int samples, Vec3 (*point)(double)) {
  std::vector<Vec3> path;
  for (int i = 0; i < samples; ++i) path.push_back(point(static_cast<double>(i) / (samples - 1)));
  return path;
}

Vec3 pipePathA(double t) { return {-8 + 16 * t, 0.6 * sine(t * 6 * kPi), 1.5 * cosine(t * 2 * kPi) - 1}; }
Vec3 pipePathB(double t) { return {1.5 * sine(t * 4 * kPi) + 1.2, -0.8 + 0.5 * cosine(t * 3 * kPi), -9 + 18 * t}; }
Vec3 pipePathC(double t) {
  return {2.2 * cosine(t * 2 * kPi) - 2, -1.2 + 4 * t, 2.2 * sine(t * 2 * kPi) + 1};
}

Model pipes() {
  Model model;
  model.materials.push_back(material("chrome", {0.92, 0.86, 0.96}, 1, "metal.tga", "showReflect.fx"));
  model.materials.push_back(material("rose", {1.0, 0.62, 0.74}, 1, "metal.tga", "showReflect.fx"));
  model.materials.push_back(material("lamp", {1.0, 0.86, 0.62}, 1, "", "showGlow.fx"));
  MeshObject a = object("pipeA"), b = object("pipeB"), c = object("pipeC");
  addTube(a, curve(80, pipePathA), std::vector<double>(80, 0.32), 14, 0, true);
  addTube(b, curve(80, pipePathB), std::vector<double>(80, 0.26), 14, 1, true);
  addTube(c, curve(60, pipePathC), std::vector<double>(60, 0.22), 12, 0, true);
  // Joints along the pipes: short wider collars.
  for (int k = 1; k < 8; ++k) {
    const double t = k / 8.0;
    const Vec3 pa = pipePathA(t), pa2 = pipePathA(t + 0.01);
    addTube(a, {pa, pa2}, {0.42, 0.42}, 14, 1, true);
    const Vec3 pb = pipePathB(t), pb2 = pipePathB(t + 0.01);
    addTube(b, {pb, pb2}, {0.36, 0.36}, 14, 0, true);
  }
  std::vector<MeshObject> rings = {object("ring1"), object("ring2"), object("ring3")};
  const Vec3 centres[3] = {{0, 0.2, 0}, {-3.5, 0.4, -2}, {3.5, -0.2, 3}};
  for (int r = 0; r < 3; ++r) {
    std::vector<Vec3> loop;
    const double radius = 1.3 + 0.4 * r;
    for (int i = 0; i <= 48; ++i) {
      const double a2 = i * 2 * kPi / 48;
      loop.push_back(centres[r] + Vec3{radius * cosine(a2), radius * sine(a2), 0});
    }
    addTube(rings[r], loop, std::vector<double>(loop.size(), 0.09), 8, r == 1 ? 1 : 0, false);
    for (int k = 0; k < 6; ++k) {
      const double a2 = k * kPi / 3;
      addSphere(rings[r], centres[r] + Vec3{radius * cosine(a2), radius * sine(a2), 0}, {0.14, 0.14, 0.14}, 8, 5, 2,
                false);
    }
    model.bones.push_back({rings[r].name, centres[r]});
  }
  model.objects = {a, b, c, rings[0], rings[1], rings[2]};
  return model;
}

// A tapered, gently bent branch from `base` along `direction`.
void addBranch(MeshObject& o, Vec3 base, Vec3 direction, double lengthTotal, double r0, double r1, double bend,
               int material) {
  std::vector<Vec3> path;
  std::vector<double> radii;
  const Vec3 d = normalized(direction);
  const Vec3 side = normalized(cross(d, Vec3{0, 1, 0.01}));
  for (int i = 0; i <= 6; ++i) {
    const double t = i / 6.0;
    path.push_back(base + d * (lengthTotal * t) + side * (bend * sine(t * kPi)) + Vec3{0, bend * 0.5 * t * t, 0});
    radii.push_back(mix(r0, r1, t));
  }
  addTube(o, path, radii, 8, material, true);
}

// showSway's alpha test: what it lets through shows.
constexpr double kSwayAlphaTest = 0.3;

// A card showing petal.bmp, cut down to the part of the picture that can pass the
// alpha test: most of a petal card is clear, and a software renderer shades every
// pixel of a card before the test drops it. The cut card lies in the same plane
// with the same texture coordinates at every point.
void addPetalCard(MeshObject& o, Vec3 centre, Vec3 halfU, Vec3 halfV, int material) {
  static const UvRect cut = alphaTestBounds(paintPetal(kPetalSize), kSwayAlphaTest);
  // The full card runs from u = 0 at -halfU to 1 at +halfU, and from v = 0 at
  // +halfV to 1 at -halfV.
  const Vec3 at = centre + halfU * (cut.u0 + cut.u1 - 1) + halfV * (1 - (cut.v0 + cut.v1));
  addCard(o, at, halfU * (cut.u1 - cut.u0), halfV * (cut.v1 - cut.v0), material, cut.u0, cut.v0, cut.u1, cut.v1);
}

// A fluffy cluster of petal cards around a centre.
void addBlossom(MeshObject& o, Vec3 centre, double radius, int cards, int material, Random& random) {
  for (int k = 0; k < cards; ++k) {
    Vec3 offset{random.range(-1, 1), random.range(-0.6, 1), random.range(-1, 1)};
    if (length(offset) > 1) offset = normalized(offset);
    const Vec3 at = centre + Vec3{offset.x * radius, offset.y * radius * 0.7, offset.z * radius};
    const double yaw = random.range(0, 2 * kPi), tilt = random.range(-1.2, 1.2);
    const double size = random.range(0.09, 0.15);
    const Vec3 u{cosine(yaw) * size, 0, sine(yaw) * size};
    const Vec3 v = normalized(Vec3{-sine(yaw) * sine(tilt), cosine(tilt), cosine(yaw) * sine(tilt)}) * size;
    addPetalCard(o, at, u, v, material);
  }
}

struct TreeShape {
  Vec3 base, direction;
  double length;
  const char* branch;
  const char* bloom;
};

Model cherryTree(bool blooming) {
  Model model;
  model.materials.push_back(material("bark", {0.85, 0.78, 0.80}, 1, "bark.jpg", "showLit.fx"));
  model.materials.push_back(material("blossom", {1.0, 0.80, 0.88}, 1, "petal.bmp", "showSway.fx"));
  Random random(blooming ? 5 : 6);
  MeshObject trunk = object("trunk", 0);
  addBranch(trunk, {0, -0.1, 0}, {0.05, 1, 0.02}, 2.0, 0.22, 0.14, 0.12, 0);
  model.bones.push_back({"trunk", {0, 0, 0}});
  const TreeShape shapes[4] = {
      {{0.05, 1.6, 0}, {-1.0, 0.8, 0.25}, 1.9, "branchL", "bloomL"},
      {{0.08, 1.75, 0}, {1.0, 0.9, -0.2}, 1.8, "branchR", "bloomR"},
      {{0.02, 1.5, 0}, {0.1, 0.6, -1.0}, 1.5, "branchB", "bloomB"},
      {{0.1, 1.9, 0}, {0.15, 1.0, 0.3}, 1.4, "branchT", "bloomT"},
  };
  std::vector<MeshObject> branches, blooms;
  for (const TreeShape& s : shapes) {
    MeshObject branch = object(s.branch, 1);
    addBranch(branch, s.base, s.direction, s.length, 0.12, 0.04, 0.18, 0);
    const Vec3 tip = s.base + normalized(s.direction) * s.length;
    // Twigs off each branch.
    for (int k = 0; k < 3; ++k) {
      const Vec3 from = lerp(s.base, tip, 0.45 + 0.2 * k);
      const Vec3 dir = normalized(s.direction) + Vec3{random.range(-0.8, 0.8), 0.5, random.range(-0.8, 0.8)};
      addBranch(branch, from, dir, 0.6, 0.04, 0.015, 0.05, 0);
    }
    model.bones.push_back({s.branch, s.base});
    branches.push_back(branch);
    if (blooming) {
      MeshObject bloom = object(s.bloom, 1);
      addBlossom(bloom, tip, 0.85, 260, 1, random);
      addBlossom(bloom, lerp(s.base, tip, 0.6) + Vec3{0, 0.25, 0}, 0.6, 120, 1, random);
      model.bones.push_back({s.bloom, s.base});
      blooms.push_back(bloom);
    }
  }
  model.objects.push_back(trunk);
  for (auto& b : branches) model.objects.push_back(b);
  for (auto& b : blooms) model.objects.push_back(b);
  if (!blooming) model.materials[0].r = 0.62, model.materials[0].g = 0.58, model.materials[0].b = 0.66;
  return model;
}

Model petals() {
  Model model;
  model.materials.push_back(material("petal", {1.0, 0.84, 0.90}, 1, "petal.bmp", "showSway.fx"));
  Random random(23);
  const char* names[4] = {"petalsA", "petalsB", "petalsC", "petalsD"};
  for (const char* name : names) {
    MeshObject o = object(name);
    for (int k = 0; k < 150; ++k) {
      const Vec3 at{random.range(-7, 7), random.range(0, 7), random.range(-7, 7)};
      const double yaw = random.range(0, 2 * kPi), tilt = random.range(0, kPi);
      const double size = random.range(0.05, 0.08);
      const Vec3 u{cosine(yaw) * size, sine(tilt) * 0.3 * size, sine(yaw) * size};
      const Vec3 v = normalized(cross(u, Vec3{sine(tilt), cosine(tilt), 0.3})) * (size * 1.2);
      addPetalCard(o, at, u, v, 0);
    }
    model.objects.push_back(o);
  }
  return model;
}

Model hill() {
  Model model;
  model.materials.push_back(material("meadow", {0.86, 0.92, 0.84}, 1, "ground.jpg", "showLit.fx"));
  MeshObject ground = object("hill");
  addGround(ground, 30, 40, 14, 0, hillHeight);
  model.objects = {ground};
  return model;
}

Model grass() {
  Model model;
  model.materials.push_back(material("blade", {0.55, 0.82, 0.42}, 1, "", "showSway.fx"));
  model.materials.push_back(material("bladeLight", {0.78, 0.92, 0.52}, 1, "", "showSway.fx"));
  model.materials.push_back(material("flower", {1.0, 0.86, 0.92}, 1, "petal.bmp", "showSway.fx"));
  Random random(41);
  const char* names[3] = {"grassA", "grassB", "grassC"};
  for (int g = 0; g < 3; ++g) {
    MeshObject o = object(names[g]);
    for (int k = 0; k < 700; ++k) {
      const double x = random.range(-7, 7), z = random.range(-7, 7);
      const double y = hillHeight(x, z);
      const double yaw = random.range(0, 2 * kPi), lean = random.range(-0.25, 0.25);
      const double height = random.range(0.25, 0.6), width = random.range(0.025, 0.045);
      const Vec3 side{cosine(yaw) * width, 0, sine(yaw) * width};
      const int a = o.addVertex({x - side.x, y, z - side.z});
      const int b = o.addVertex({x + side.x, y, z + side.z});
      const int c = o.addVertex({x + lean * height, y + height, z + lean * 0.5 * height});
      // The blade tip carries v = 0 so the wind moves it most.
      o.addTriangle(a, b, c, k % 3 == 0 ? 1 : 0, 0.2, 1, 0.8, 1, 0.5, 0);
      if (k % 23 == 0) {
        addPetalCard(o, {x, y + height * 0.8, z}, {0.05, 0, 0}, {0, 0.05, 0.02}, 2);
      }
    }
    model.objects.push_back(o);
  }
  return model;
}

Model leaves() {
  Model model;
  model.materials.push_back(material("leaf", {0.86, 1.0, 0.80}, 1, "leaf.tga", "showSway.fx"));
  model.materials.push_back(material("twig", {0.70, 0.62, 0.62}, 1, "bark.jpg", "showLit.fx"));
  Random random(61);
  MeshObject twig = object("twig");
  addBranch(twig, {-4, -0.6, 0}, {1, 0.25, -0.1}, 8.5, 0.09, 0.03, 0.4, 1);
  model.objects.push_back(twig);
  for (int l = 0; l < 6; ++l) {
    MeshObject o = object("leaf" + std::to_string(l + 1));
    const Vec3 stem{-3.2 + l * 1.3, -0.45 + l * 0.26, random.range(-0.2, 0.2)};
    for (int k = 0; k < 7; ++k) {
      const double a = k * 2 * kPi / 7 + random.range(-0.3, 0.3);
      const Vec3 dir{cosine(a) * 0.8, 0.55 + random.range(-0.2, 0.3), sine(a) * 0.8};
      const double size = random.range(0.28, 0.42);
      const Vec3 centre = stem + normalized(dir) * (size * 1.1);
      const Vec3 v = normalized(dir) * size;
      const Vec3 u = normalized(cross(dir, Vec3{0.2, 1, 0.1})) * (size * 0.55);
      addCard(o, centre, u, v, 0);
    }
    model.bones.push_back({o.name, stem});
    model.objects.push_back(o);
  }
  return model;
}

Model skyDome() {
  Model model;
  model.materials.push_back(material("sky", {1, 1, 1}, 1, "sky.hdr", "showSky.fx"));
  MeshObject dome = object("dome");
  addSphere(dome, {0, 0, 0}, {70, 70, 70}, 32, 16, 0, true);
  model.objects = {dome};
  return model;
}

Model lightBalls() {
  Model model;
  model.materials.push_back(material("warm", {1.0, 0.80, 0.55}, 1, "", "showGlow.fx"));
  model.materials.push_back(material("pink", {1.0, 0.55, 0.75}, 1, "", "showGlow.fx"));
  model.materials.push_back(material("cool", {0.60, 0.75, 1.0}, 1, "", "showGlow.fx"));
  Random random(77);
  const char* names[5] = {"ballsA", "ballsB", "ballsC", "ballsD", "ballsE"};
  for (int b = 0; b < 5; ++b) {
    MeshObject o = object(names[b]);
    for (int k = 0; k < 9; ++k) {
      const Vec3 at{random.range(-5, 5), random.range(-0.5, 4.5), random.range(-5, 5)};
      const double r = random.range(0.08, 0.22);
      addSphere(o, at, {r, r, r}, 10, 6, (b + k) % 3, false);
    }
    model.objects.push_back(o);
  }
  return model;
}

Model lettering() {
  Model model;
  model.materials.push_back(material("letters", {1.0, 0.94, 0.96}, 1, "text.bmp", "showUnlit.fx"));
  // Screen-fixed plates: the player looks along +z from (0, 0, -1), so screen
  // right is -x and the plates face -z.
  const char* names[4] = {"title", "subtitle", "greets", "thanks"};
  const double centreY[4] = {0.2, -0.22, -0.78, 0.0};
  const double halfWidth[4] = {1.0, 0.32, 1.75, 1.7};
  for (int i = 0; i < 4; ++i) {
    MeshObject o = object(names[i]);
    // Crop each band of the lettering picture to its text, keeping the aspect.
    const double textPixels = static_cast<double>(kLetteringLines[static_cast<std::size_t>(i)].size()) * 42 + 16;
    const double u0 = 0.5 - textPixels / 2 / 1024, u1 = 0.5 + textPixels / 2 / 1024;
    const double hw = halfWidth[i], hh = hw * 64 / textPixels;
    addCard(o, {0, centreY[i], 3}, {-hw, 0, 0}, {0, hh, 0}, 0, u0, i * 0.25, u1, (i + 1) * 0.25);
    model.objects.push_back(o);
  }
  return model;
}

}  // namespace

UvRect alphaTestBounds(const Image& picture, double threshold) {
  // A linear sample mixes the four texels around it and so is never above the
  // largest of them: only within a texel of a texel that passes can one pass.
  int left = picture.width, right = -1, top = picture.height, bottom = -1;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      if (picture.at(x, y)[3] / 255.0 > threshold) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  if (right < 0) return {0, 0, 0, 0};
  const double w = picture.width, h = picture.height;
  return {std::max(0.0, (left - 0.5) / w), std::max(0.0, (top - 0.5) / h), std::min(1.0, (right + 1.5) / w),
          std::min(1.0, (bottom + 1.5) / h)};
}

double hillHeight(double x, double z) {
  const double r2 = (x * x + z * z) / 400.0;
  return 0.25 * sine(x * 0.35) * cosine(z * 0.3) - 0.4 + 1.2 / (1 + r2 * 8) - 0.6 * r2;
}

std::vector<NamedModel> buildModels() {
  return {
      {"model/boxdna/boxdna_s_uv.mqo", boxHelix()},
      {"model/show/sky.mqo", skyDome()},
      {"model/show/boxfloor.mqo", boxFloor(true)},
      {"model/show/pipes.mqo", pipes()},
      {"model/show/sakura.mqo", cherryTree(true)},
      {"model/show/sakuraKare.mqo", cherryTree(false)},
      {"model/show/petals.mqo", petals()},
      {"model/show/grass.mqo", grass()},
      {"model/show/leaves.mqo", leaves()},
      {"model/show/hill.mqo", hill()},
      {"model/show/lightballs.mqo", lightBalls()},
      {"model/show/lettering.mqo", lettering()},
      {"model/show/boxsolid.mqo", boxFloor(false)},
  };
}

}  // namespace orvane::show
