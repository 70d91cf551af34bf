// Camera and model tracks of every scene; see animations.h. Times inside a scene
// are seconds from its start; `Scene::at` gives the show time for beat accents.
#include "show/animations.h"

#include <string>
#include <vector>

#include "show/models.h"
#include "show/running_order.h"

namespace orvane::show {
namespace {

enum ModelIndex { kHelix, kSky, kBoxFloor, kPipes, kSakura, kSakuraKare, kPetals, kGrass, kLeaves, kHill, kBalls, kLetters, kBoxSolid };

const std::vector<std::pair<int, std::string>> kModels = {
    {kHelix, "..\\model\\boxdna\\boxdna_s_uv.mqo"}, {kSky, "..\\model\\show\\sky.mqo"},
    {kBoxFloor, "..\\model\\show\\boxfloor.mqo"},   {kPipes, "..\\model\\show\\pipes.mqo"},
    {kSakura, "..\\model\\show\\sakura.mqo"},       {kSakuraKare, "..\\model\\show\\sakuraKare.mqo"},
    {kPetals, "..\\model\\show\\petals.mqo"},       {kGrass, "..\\model\\show\\grass.mqo"},
    {kLeaves, "..\\model\\show\\leaves.mqo"},       {kHill, "..\\model\\show\\hill.mqo"},
    {kBalls, "..\\model\\show\\lightballs.mqo"},    {kLetters, "..\\model\\show\\lettering.mqo"},
    {kBoxSolid, "..\\model\\show\\boxsolid.mqo"},
};

using PoseFunction = std::function<Pose(const std::string& part, int index, double t)>;

// One scene under construction: its length, its start on the show clock.
struct Builder {
  QelScene scene;
  double length;
  double start;

  Builder(const char* name, double startSeconds, double lengthSeconds) : length(lengthSeconds), start(startSeconds) {
    scene.name = name;
  }

  // Beat accent: 1 on every beat of the 120 BPM track, decaying before the next.
  double beat(double t) const {
    const double beats = (start + t) * 2.0;
    const double phase = beats - static_cast<double>(static_cast<long long>(beats));
    const double p = 1 - phase;
    return p * p * p;
  }

  void camera(double step, const std::function<Vec3(double)>& eye, const std::function<Vec3(double)>& target,
              const std::function<double(double)>& fieldOfView, const std::function<double(double)>& roll) {
    scene.objects.insert(scene.objects.begin(), makeCamera(keyTimes(length, step), eye, target, fieldOfView, roll));
  }

  QelObject& model(int index, double step, const std::vector<std::string>& parts, const PoseFunction& pose,
                   int cameraTrans = 1, int visible = 1) {
    QelObject o;
    o.model = index;
    o.cameraTrans = cameraTrans;
    o.visible = visible;
    o.times = keyTimes(length, step);
    for (std::size_t i = 0; i < parts.size(); ++i)
      addPart(o, parts[i], [&](double t) { return pose(parts[i], static_cast<int>(i), t); });
    scene.objects.push_back(o);
    return scene.objects.back();
  }

  // The sky dome, turning very slowly so the clouds drift. Its effect puts it at
  // the far plane, so scenes draw the solid models that hide part of it (the hill,
  // the bare tree, the solid boxes) first, sparing the sky those pixels, and
  // anything that blends after it.
  void sky() {
    model(kSky, length, {"dome"}, [&](const std::string&, int, double t) {
      Pose p;
      p.rotation.y = (start + t) * 0.004;
      return p;
    });
  }

  void hill() { model(kHill, length, {"hill"}, [](const std::string&, int, double) { return Pose{}; }); }

  // Petals drifting down and swirling round the centre; `amount` is their alpha.
  void petals(double amount, double fall, Vec3 offset = {}) {
    model(kPetals, 1.0, {"petalsA", "petalsB", "petalsC", "petalsD"}, [=, this](const std::string&, int i, double t) {
      Pose p;
      const double time = start + t + i * 5.0;
      p.position = offset + Vec3{0.15 * sine(time * 0.4 + i), 1.5 - fall * t - i * 0.6, 0.1 * cosine(time * 0.3)};
      p.rotation.y = time * 0.05 * (i % 2 ? 1 : -1);
      p.alpha = amount;
      return p;
    });
  }

  // A cherry tree standing on the hill, its branches and blossoms swaying together.
  void tree(int index, Vec3 where, double yaw, double scale, double bloom, double sway) {
    const std::vector<std::string> parts =
        index == kSakura ? std::vector<std::string>{"trunk", "branchL", "branchR", "branchB", "branchT", "bloomL",
                                                    "bloomR", "bloomB", "bloomT"}
                         : std::vector<std::string>{"trunk", "branchL", "branchR", "branchB", "branchT"};
    model(index, 0.25, parts, [=, this](const std::string& part, int, double t) {
      Pose p;
      const double time = start + t;
      if (part == "trunk") {
        p.position = Vec3{where.x, where.y + hillHeight(where.x, where.z), where.z};
        p.rotation = {0, yaw, 0.015 * sine(time * 0.7) * sway};
        p.scale = {scale, scale, scale};
        return p;
      }
      // Branch and blossom of one side share the phase, so they move as one.
      const int side = part.back() == 'L' ? 0 : part.back() == 'R' ? 1 : part.back() == 'B' ? 2 : 3;
      p.rotation = {0.05 * sway * sine(time * 1.1 + side), 0, 0.06 * sway * sine(time * 0.9 + side * 1.7)};
      if (part.rfind("bloom", 0) == 0) {
        const double s = bloom * (1 + 0.03 * beat(t) * sway);
        p.scale = {s, s, s};
        p.alpha = bloom > 0.05 ? 1 : 0;
      }
      return p;
    });
  }

  // Light balls floating around `centre`, rising by `rise` units a second.
  void balls(Vec3 centre, double rise, double scale, double alpha, int visible = 1) {
    model(
        kBalls, 0.25, {"ballsA", "ballsB", "ballsC", "ballsD", "ballsE"},
        [=, this](const std::string&, int i, double t) {
          Pose p;
          const double time = start + t;
          p.position = centre + Vec3{0.4 * sine(time * 0.5 + i * 1.3), rise * t + 0.3 * sine(time * 0.8 + i),
                                     0.4 * cosine(time * 0.45 + i * 2.1)};
          const double s = scale * (1 + 0.25 * beat(t));
          p.scale = {s, s, s};
          p.alpha = alpha;
          return p;
        },
        1, visible);
  }

  // Screen-fixed lettering: alpha per plate from a function of time.
  void letters(const std::function<double(const std::string&, double)>& alpha) {
    model(
        kLetters, 0.25, {"title", "subtitle", "greets", "thanks"},
        [=, this](const std::string& part, int, double t) {
          Pose p;
          p.alpha = alpha(part, t);
          const double s = 1 + 0.015 * beat(t) * (part == "greets" ? 1 : 0);
          p.scale = {s, s, 1};
          return p;
        },
        0);
  }
};

double fade(double t, double from, double width) { return smooth((t - from) / width); }

Vec3 orbit(double angle, double radius, double height) { return {radius * sine(angle), height, radius * cosine(angle)}; }

QelScene start() {
  Builder b("start", 0, 16);
  b.camera(
      0.5, [](double t) { return orbit(-0.6 + 1.1 * smooth(t / 16), mix(10.5, 7.0, smooth(t / 16)), mix(1.8, 0.7, t / 16)); },
      [](double) { return Vec3{0, 0.1, 0}; }, [](double t) { return mix(40, 36, t / 16); }, [](double) { return 0.0; });
  b.sky();
  b.model(kHelix, 0.5, {"strandA", "strandB", "rungs"}, [](const std::string& part, int, double t) {
    Pose p;
    p.rotation.y = 0.25 * t;
    p.alpha = part == "rungs" ? fade(t, 3, 4) : fade(t, 0.5, 3);
    return p;
  });
  b.petals(0.7, 0.12);
  // Kept for the light scenes later; hidden here.
  b.balls({0, 0, 0}, 0, 1, 1, 0);
  b.letters([](const std::string& part, double t) {
    if (part == "title") return fade(t, 3, 2) * (1 - fade(t, 11, 2));
    if (part == "subtitle") return fade(t, 5, 2) * (1 - fade(t, 11.5, 2));
    return 0.0;
  });
  return b.scene;
}

QelScene boxFloor() {
  Builder b("boxfloor1", 16, 16);
  b.camera(
      0.5, [](double t) { return Vec3{mix(-7, 6, smooth(t / 16)), 1.3 + 0.9 * t / 16 + 0.15 * sine(t * 0.8), 6.2 - 0.4 * sine(t * 0.2)}; },
      [](double t) { return Vec3{mix(-1.5, 1.2, t / 16), 0.9, mix(0, -1, t / 16)}; }, [](double) { return 46.0; },
      [](double t) { return 0.04 * sine(t * 0.4); });
  const PoseFunction floorPose = [&b](const std::string& part, int i, double t) {
    Pose p;
    if (part == "floor") return p;
    if (part == "floaters") {
      p.rotation.y = 0.3 * t;
      const double s = 1 + 0.12 * b.beat(t);
      p.scale = {s, s, s};
      p.position.y = 0.2 * sine(t * 0.8);
      return p;
    }
    // The stacks rise out of the floor one after another, then turn slowly.
    const double rise = smooth((t - 1.0 - (i - 1) * 1.5) / 2.0);
    p.position.y = -3.5 * (1 - rise);
    p.rotation.y = 0.15 * t * (i % 2 ? 1 : -1);
    p.scale = {1, 0.6 + 0.4 * rise, 1};
    return p;
  };
  // The solid boxes before the sky, which then leaves their pixels unshaded; the
  // see-through ones after it, so that the sky shows through them.
  b.model(kBoxSolid, 0.125, {"floor", "stackA", "stackB", "stackC", "floaters"}, floorPose);
  b.sky();
  b.model(kBoxFloor, 0.125, {"floor", "floaters"}, floorPose);
  b.petals(0.55, 0.1);
  return b.scene;
}

QelScene dnaBox() {
  Builder b("dnabox", 32, 16);
  b.camera(
      0.5, [](double t) { return orbit(2.4 * t / 16, mix(9.0, 6.0, smooth(t / 16)), mix(-0.8, 3.4, smooth(t / 16))); },
      [](double t) { return Vec3{0, mix(0.2, 1.8, t / 16), 0}; }, [](double) { return 44.0; },
      [](double t) { return 0.06 * sine(t * 0.5); });
  b.sky();
  const Vec3 places[3] = {{0, 1.0, 0}, {-6, 2.5, -5}, {5.5, 3.2, -7}};
  const double scales[3] = {1.6, 0.9, 1.1};
  for (int h = 0; h < 3; ++h) {
    b.model(kHelix, 0.125, {"strandA", "strandB", "rungs"}, [&b, h, places, scales](const std::string& part, int, double t) {
      Pose p;
      p.position = places[h];
      p.rotation.y = (h == 1 ? -0.4 : 0.5) * t;
      const double s = scales[h];
      p.scale = {s, s, s};
      if (part == "rungs") p.scale.x = s * (1 + 0.25 * b.beat(t));
      return p;
    });
  }
  b.balls({0, 1.5, 0}, 0.05, 1.0, 0.8);
  return b.scene;
}

QelScene pipe(bool second) {
  Builder b(second ? "pipe2" : "pipe1", second ? 56 : 48, 8);
  if (!second) {
    b.camera(
        0.25, [](double t) { return Vec3{-7 + 1.5 * t, 1.3 + 0.2 * sine(t), 3.0 - 0.15 * t}; },
        [](double t) { return Vec3{-4 + 1.6 * t, 0, -1}; }, [](double t) { return 48 + t; }, [](double) { return 0.0; });
  } else {
    b.camera(
        0.25, [](double t) { return orbit(0.5 + 0.05 * t * t, mix(6.5, 3.2, t / 8), 1.2 + 0.3 * t); },
        [](double) { return Vec3{0, 0.3, 0}; }, [](double t) { return 45 + 20 * smooth(t / 8); },
        [](double t) { return 0.35 * smooth(t / 8) * sine(t * 1.5); });
  }
  b.sky();
  b.model(kPipes, 0.125, {"pipeA", "pipeB", "pipeC", "ring1", "ring2", "ring3"}, [&b, second](const std::string& part, int i, double t) {
    Pose p;
    if (part.rfind("ring", 0) != 0) return p;
    const double turns = second ? 0.6 * t + 0.08 * t * t : 0.5 * t;
    p.rotation = {0, 0.3 * i, turns * (i % 2 ? 1 : -1)};
    const double s = 1 + (second ? 0.12 : 0.05) * b.beat(t);
    p.scale = {s, s, s};
    return p;
  });
  b.balls({0, -1.0, 0}, second ? 0.35 : 0.1, 0.8, 0.9);
  return b.scene;
}

QelScene fineSky() {
  Builder b("finesky", 64, 16);
  b.camera(
      0.5, [](double t) { return Vec3{mix(0.5, -3.5, smooth(t / 16)), mix(1.4, 3.2, t / 16), mix(9, 6, t / 16)}; },
      [](double t) { return Vec3{0, mix(2.5, 7.0, smooth(t / 16)), mix(0, -8, smooth(t / 16))}; },
      [](double) { return 55.0; }, [](double t) { return 0.05 * sine(t * 0.6); });
  b.hill();
  b.sky();
  b.tree(kSakura, {0, 0, 0}, 0.3, 1.0, 1.0, 1.0);
  b.petals(0.9, 0.25);
  b.balls({0, 2.0, 0}, 0.15, 1.0, 0.9);
  return b.scene;
}

QelScene greetz() {
  Builder b("greetz", 80, 16);
  b.camera(
      0.5, [](double t) { return orbit(1.5 * kPi * t / 16, 7.0, 1.6 + 0.5 * sine(t * 0.5)); },
      [](double) { return Vec3{0, 2.2, 0}; }, [](double) { return 48.0; }, [](double t) { return 0.08 * sine(t * 0.7); });
  b.hill();
  b.sky();
  b.tree(kSakura, {0, 0, 0}, 0.0, 1.05, 1.0, 1.6);
  b.petals(1.0, 0.3);
  b.letters([](const std::string& part, double t) {
    return part == "greets" ? fade(t, 1, 1.5) * (1 - fade(t, 14, 1.5)) : 0.0;
  });
  return b.scene;
}

QelScene happa() {
  Builder b("happa", 96, 16);
  b.camera(
      0.5, [](double t) { return Vec3{-3.2 + 0.42 * t, 0.9 + 0.1 * sine(t * 0.3), 3.0 - 0.05 * t}; },
      [](double t) { return Vec3{-2.6 + 0.45 * t, 0.1 + 0.02 * t, 0}; }, [](double) { return 42.0; },
      [](double t) { return 0.05 * sine(t * 0.25); });
  b.sky();
  b.model(kLeaves, 0.25, {"twig", "leaf1", "leaf2", "leaf3", "leaf4", "leaf5", "leaf6"}, [&b](const std::string& part, int i, double t) {
    Pose p;
    const double time = b.start + t;
    if (part == "twig") {
      p.rotation.z = 0.02 * sine(time * 0.5);
      return p;
    }
    // Leaves flutter about their stems (the bone markers of the model).
    p.rotation = {0.16 * sine(time * 1.7 + i), 0.1 * sine(time * 0.9 + i * 2), 0.12 * sine(time * 1.3 + i * 0.7)};
    return p;
  });
  b.petals(0.5, 0.08, {0, -2, 0});
  return b.scene;
}

QelScene kusa() {
  Builder b("kusa", 112, 16);
  b.camera(
      0.5, [](double t) { return Vec3{mix(-4.5, 2.5, t / 16), 1.35 + 0.15 * sine(t * 0.4), mix(5.0, 3.0, t / 16)}; },
      [](double t) { return Vec3{mix(-1.5, 3.5, t / 16), 0.8, mix(0, -3, t / 16)}; }, [](double) { return 46.0; },
      [](double) { return 0.0; });
  b.hill();
  b.sky();
  b.model(kGrass, 1.0, {"grassA", "grassB", "grassC"}, [](const std::string&, int, double) { return Pose{}; });
  b.balls({0, 0.6, 0}, 0.02, 0.6, 0.85);
  b.tree(kSakura, {-5, 0, -6}, 1.0, 0.9, 1.0, 0.6);
  return b.scene;
}

QelScene lightToSky() {
  Builder b("lightToSky", 128, 16);
  b.camera(
      0.5, [](double t) { return Vec3{0.5 * sine(t * 0.2), 1.6 + 0.35 * t, 7.0 - 0.15 * t}; },
      [](double t) { return Vec3{0, 0.9 + 0.05 * t * t, 0}; }, [](double t) { return 45 + 20 * smooth((t - 10) / 6); },
      [](double t) { return 0.1 * smooth((t - 8) / 8) * sine(t); });
  b.hill();
  b.sky();
  b.model(kGrass, 1.0, {"grassA", "grassB", "grassC"}, [](const std::string&, int, double) { return Pose{}; });
  b.tree(kSakura, {-4, 0, -4}, 0.8, 0.9, 1.0, 0.8);
  b.balls({0, 0.5, -2}, 0.45, 0.55, 0.9);
  return b.scene;
}

QelScene toTheSky() {
  Builder b("toTheSky", 144, 8);
  b.camera(
      0.25, [](double t) { return orbit(0.6 * t, 12.0, 9.0 + 0.6 * t); },
      [](double t) { return Vec3{0, 6.0 + 0.8 * t, 0}; }, [](double t) { return 62 - 10 * smooth(t / 8); },
      [](double t) { return 0.3 * sine(t * 0.8); });
  b.hill();
  b.sky();
  b.tree(kSakura, {0, 0, 0}, 0, 1.2, 1.0, 2.0);
  b.balls({0, 6.0, 0}, 1.0, 1.0, 1.0);
  b.petals(1.0, 0.4, {0, 8, 0});
  return b.scene;
}

QelScene sakuraFar(bool second) {
  Builder b(second ? "sakuraFar2" : "sakuraFar1", second ? 176 : 152, 8);
  if (!second) {
    b.camera(
        0.25, [](double t) { return Vec3{-13 + 3.0 * t, 3.2 - 0.1 * t, 12 - 0.8 * t}; },
        [](double t) { return Vec3{0.5 * t, 1.8, 0}; }, [](double) { return 50.0; },
        [](double t) { return -0.1 + 0.03 * t; });
  } else {
    b.camera(
        0.5, [](double t) { return Vec3{0.5, 2.2 + 0.45 * t, 9.5 + 1.3 * t}; },
        [](double t) { return Vec3{0, 1.8 + 0.2 * t, 0}; }, [](double) { return 46.0; }, [](double) { return 0.0; });
  }
  b.hill();
  b.sky();
  const Vec3 spots[5] = {{0, 0, 0}, {-5, 0, -3}, {5, 0, -4}, {-9, 0, -9}, {8, 0, -10}};
  for (int k = 0; k < 5; ++k) b.tree(kSakura, spots[k], k * 1.3, 1.0 - 0.05 * k, 1.0, second ? 0.5 : 1.4);
  b.petals(second ? 0.7 : 1.0, second ? 0.12 : 0.3);
  return b.scene;
}

QelScene sakuraSaku() {
  Builder b("sakuraSaku", 160, 16);
  b.camera(
      0.25, [](double t) { return orbit(0.5 + 1.6 * kPi * t / 16, mix(6.5, 4.8, smooth(t / 16)), mix(1.2, 2.8, t / 16)); },
      [](double) { return Vec3{0, 2.6, 0}; }, [&b](double t) { return 46 + 3 * b.beat(t); },
      [](double t) { return 0.12 * sine(t * 0.9); });
  b.hill();
  b.sky();
  // The blossoms open over the first bars, then pulse with the beat.
  b.model(kSakura, 0.125, {"trunk", "branchL", "branchR", "branchB", "branchT", "bloomL", "bloomR", "bloomB", "bloomT"},
          [&b](const std::string& part, int i, double t) {
            Pose p;
            const double time = b.start + t;
            if (part == "trunk") {
              p.position.y = hillHeight(0, 0);
              return p;
            }
            p.rotation = {0.05 * sine(time * 1.1 + i), 0, 0.07 * sine(time * 0.9 + i * 1.7)};
            if (part.rfind("bloom", 0) == 0) {
              const double open = 0.25 + 0.75 * smooth((t - (i - 5) * 0.5) / 3.0);
              const double s = open * (1 + 0.05 * b.beat(t));
              p.scale = {s, s, s};
              p.rotation = {0.05 * sine(time * 1.1 + (i - 4)), 0, 0.07 * sine(time * 0.9 + (i - 4) * 1.7)};
            }
            return p;
          });
  b.petals(1.0, 0.35);
  b.petals(0.8, 0.25, {1.5, 3, -1});
  return b.scene;
}

QelScene sakuraKare() {
  Builder b("SakuraKare", 184, 8);
  b.camera(
      0.5, [](double t) { return Vec3{3.2 - 0.25 * t, 1.9 + 0.05 * t, 6.2 - 0.35 * t}; },
      [](double) { return Vec3{0, 2.4, 0}; }, [](double) { return 42.0; }, [](double) { return 0.0; });
  b.hill();
  b.tree(kSakuraKare, {0, 0, 0}, 0.4, 1.0, 1.0, 0.4);
  b.sky();
  b.model(kPetals, 1.0, {"petalsA", "petalsB", "petalsC", "petalsD"}, [](const std::string&, int i, double t) {
    Pose p;
    p.position = {0.1 * i, 1.0 - 0.15 * t - i * 0.5, 0};
    p.alpha = 0.8 * (1 - smooth(t / 8));
    return p;
  });
  b.letters([](const std::string& part, double t) { return part == "thanks" ? fade(t, 1, 2) : 0.0; });
  return b.scene;
}

QelScene rest() {
  // Only a camera: the overlay line has no content and stays hidden.
  Builder b("rest", 0, 128);
  b.camera(
      8.0, [](double) { return Vec3{0, 0, 5}; }, [](double) { return Vec3{0, 0, 0}; }, [](double) { return 30.0; },
      [](double) { return 0.0; });
  return b.scene;
}

QelScene lightBalls() {
  Builder b("lightballs", 128, 16);
  b.camera(
      0.5, [](double t) { return orbit(0.25 * t, 7.5 - 0.15 * t, 1.0 + 0.25 * t); },
      [](double t) { return Vec3{0, 1.0 + 0.35 * t, 0}; }, [](double) { return 55.0; },
      [](double t) { return 0.06 * sine(t * 0.7); });
  b.balls({0, -0.5, 0}, 0.35, 1.3, 1.0);
  b.balls({1.5, -2.5, -1}, 0.5, 0.9, 0.8);
  return b.scene;
}

}  // namespace

QelFile buildMainLine() {
  QelFile file;
  file.models = kModels;
  file.scenes = {start(),      boxFloor(),       dnaBox(),   pipe(false),     pipe(true),
                 fineSky(),    greetz(),         happa(),    kusa(),          lightToSky(),
                 toTheSky(),   sakuraFar(false), sakuraSaku(), sakuraFar(true), sakuraKare()};
  return file;
}

QelFile buildOverlayLine() {
  QelFile file;
  file.models = kModels;
  file.scenes = {rest(), lightBalls()};
  return file;
}

}  // namespace orvane::show
