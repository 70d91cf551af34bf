// The Qel scene-animation text form: the model list and, per scene, a camera
// object and animated model objects whose parts carry key-framed position,
// rotation, scale and alpha. Values are given as the picture should move in
// OpenGL terms; the writer applies the file's sign conventions.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "show/show_math.h"

namespace orvane::show {

struct Pose {
  Vec3 rotation;  // radians about x, y, z, applied x first, then y, then z
  double alpha = 1;
  Vec3 scale{1, 1, 1};
  Vec3 position;
};

struct QelObject {
  int model = -1;  // -1: the camera
  int cameraTrans = 1;
  int visible = 1;
  std::vector<double> times;                       // seconds from the scene's start
  std::map<std::string, std::vector<Pose>> parts;  // one pose per time
  std::vector<std::string> partOrder;              // the order parts are written in
};

struct QelScene {
  std::string name;
  std::vector<QelObject> objects;  // the camera first
};

struct QelFile {
  std::vector<std::pair<int, std::string>> models;  // index, path relative to the file
  std::vector<QelScene> scenes;
};

// Key times from 0 to `duration` every `step` seconds (the last one exact).
std::vector<double> keyTimes(double duration, double step);

// A camera object sampled from functions of the time: eye and target positions,
// the field of view in degrees and the roll in radians.
QelObject makeCamera(const std::vector<double>& times, const std::function<Vec3(double)>& eye,
                     const std::function<Vec3(double)>& target, const std::function<double(double)>& fieldOfView,
                     const std::function<double(double)>& roll);

// Adds a part sampled from a function of the time.
void addPart(QelObject& object, const std::string& part, const std::function<Pose(double)>& pose);

std::string toQel(const QelFile& file);

}  // namespace orvane::show
