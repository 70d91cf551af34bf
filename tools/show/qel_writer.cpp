// The Qel text writer; see qel_writer.h.
#include "show/qel_writer.h"

#include <cstdio>

namespace orvane::show {
namespace {

std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.4f", value);
  std::string result = text;
  if (result == "-0.0000") result = "0.0000";
  return result;
}

std::string triple(Vec3 v) { return number(v.x) + " " + number(v.y) + " " + number(v.z); }

}  // namespace

std::vector<double> keyTimes(double duration, double step) {
  std::vector<double> times;
  const int count = static_cast<int>(duration / step + 0.5);
  for (int i = 0; i < count; ++i) times.push_back(step * i);
  times.push_back(duration);
  return times;
}

QelObject makeCamera(const std::vector<double>& times, const std::function<Vec3(double)>& eye,
                     const std::function<Vec3(double)>& target, const std::function<double(double)>& fieldOfView,
                     const std::function<double(double)>& roll) {
  QelObject camera;
  camera.model = -1;
  camera.times = times;
  addPart(camera, "camera_pos", [&](double t) {
    Pose pose;
    pose.position = eye(t);
    // The player reads the extra field of view (over 30 degrees) from the y
    // rotation and the roll from the z rotation.
    pose.rotation = {0, (fieldOfView(t) - 30.0) * kPi / 180.0, roll(t)};
    return pose;
  });
  addPart(camera, "camera_lookat", [&](double t) {
    Pose pose;
    pose.position = target(t);
    return pose;
  });
  return camera;
}

void addPart(QelObject& object, const std::string& part, const std::function<Pose(double)>& pose) {
  std::vector<Pose>& poses = object.parts[part];
  poses.clear();
  for (double t : object.times) poses.push_back(pose(t));
  object.partOrder.push_back(part);
}

std::string toQel(const QelFile& file) {
  std::string out = "Qel\nMQO {\n";
  for (const auto& [index, path] : file.models) out += "\t" + std::to_string(index) + " \"" + path + "\"\n";
  out += "}\n";
  for (const QelScene& scene : file.scenes) {
    out += "Scene \"" + scene.name + "\" {\n";
    for (const QelObject& object : scene.objects) {
      const bool camera = object.model < 0;
      out += "\tObject " + std::to_string(object.model) + " {\n";
      if (!camera) {
        out += "\t\tCameraTrans " + std::to_string(object.cameraTrans) + "\n";
        out += "\t\tVisible " + std::to_string(object.visible) + "\n";
      }
      out += "\t\tDataNum " + std::to_string(object.times.size()) + "\n\t\tTime {";
      for (double t : object.times) out += " " + number(t);
      out += " }\n";
      for (const std::string& name : object.partOrder) {
        const std::vector<Pose>& poses = object.parts.at(name);
        out += "\t\tPart \"" + name + "\" {\n\t\t\tPosition {";
        // The file's third axis points the other way than OpenGL's.
        for (const Pose& p : poses) out += " " + triple({p.position.x, p.position.y, -p.position.z});
        out += " }\n\t\t\tRotation {";
        // The player turns by z, then by minus y, then by minus x.
        for (const Pose& p : poses)
          out += " " + triple(camera ? p.rotation : Vec3{-p.rotation.x, -p.rotation.y, p.rotation.z});
        out += " }\n\t\t\tScale {";
        for (const Pose& p : poses) out += " " + triple(p.scale);
        out += " }\n\t\t\tAlpha {";
        for (const Pose& p : poses) out += " " + number(p.alpha);
        out += " }\n\t\t}\n";
      }
      out += "\t}\n";
    }
    out += "}\n";
  }
  out += "Eof\n";
  return out;
}

}  // namespace orvane::show
