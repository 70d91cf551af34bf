// Text builders for small shows written by tests: plate models, Qel files with a
// camera object and plate objects, and an unlit effect that outputs the material
// colour, so that pixels read back tell which model and colour was drawn.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "support/source_dir.h"

// One pass, no blending: the fragment is the material colour the renderer sets.
inline std::string flatEffect() { return testData("effects/flat.fx"); }

struct PlateObject {
  std::string name = "plate";
  int depth = 0;
  // Corners in model units (the reader scales by 0.01), in the z = 0 plane.
  float x0 = -1000, y0 = -1000, x1 = 1000, y1 = 1000;
  int material = 0;
};

struct PlateMaterial {
  float r = 1, g = 1, b = 1, a = 1;
  std::string effect = "flat.fx";  // next to the model
};

// A model of double-sided rectangles, so that culling never hides them.
inline std::string plateModel(const std::vector<PlateMaterial>& materials, const std::vector<PlateObject>& objects) {
  std::string text = "Metasequoia Document\nFormat Text Ver 1.0\n\nMaterial " + std::to_string(materials.size()) + " {\n";
  char line[256];
  for (std::size_t m = 0; m < materials.size(); ++m) {
    std::snprintf(line, sizeof line, "\t\"m%zu\" col(%g %g %g %g) bump(\"%s\")\n", m, materials[m].r, materials[m].g,
                  materials[m].b, materials[m].a, materials[m].effect.c_str());
    text += line;
  }
  text += "}\n";
  for (const PlateObject& object : objects) {
    std::snprintf(line, sizeof line,
                  "Object \"%s\" {\n\tdepth %d\n\tvertex 4 {\n\t\t%g %g 0\n\t\t%g %g 0\n\t\t%g %g 0\n\t\t%g %g 0\n\t}\n",
                  object.name.c_str(), object.depth, object.x0, object.y0, object.x1, object.y0, object.x1, object.y1,
                  object.x0, object.y1);
    text += line;
    std::snprintf(line, sizeof line, "\tface 2 {\n\t\t4 V(0 1 2 3) M(%d)\n\t\t4 V(3 2 1 0) M(%d)\n\t}\n}\n",
                  object.material, object.material);
    text += line;
  }
  return text + "Eof\n";
}

inline std::string plateModel(float r, float g, float b, float a = 1.0f) {
  return plateModel({PlateMaterial{r, g, b, a}}, {PlateObject{}});
}

// A camera object with keys at the given times, looking from (0, 0, -distance) in
// Qel coordinates (z negated: +distance in GL) at the origin, with the camera
// rotation y (radians) that widens the field of view; eyeX moves linearly to eyeXEnd.
inline std::string cameraObject(const std::vector<float>& times, float distance = 5.0f, float rotationY = 0.0f,
                                float eyeX = 0.0f, float eyeXEnd = 0.0f) {
  std::string keys, positions, rotations, targets;
  char number[64];
  for (std::size_t k = 0; k < times.size(); ++k) {
    const float x = times.size() > 1 ? eyeX + (eyeXEnd - eyeX) * static_cast<float>(k) / (times.size() - 1) : eyeX;
    std::snprintf(number, sizeof number, " %g", times[k]);
    keys += number;
    std::snprintf(number, sizeof number, " %g 0 %g", x, -distance);
    positions += number;
    std::snprintf(number, sizeof number, " 0 %.9g 0", rotationY);
    rotations += number;
    targets += " 0 0 0";
  }
  return "\tObject -1 {\n\t\tDataNum " + std::to_string(times.size()) + "\n" +
         (times.empty() ? "" : "\t\tTime {" + keys + " }\n") + "\t\tPart \"camera_pos\" {\n\t\t\tPosition {" +
         positions + " }\n\t\t\tRotation {" + rotations + " }\n\t\t}\n\t\tPart \"camera_lookat\" {\n\t\t\tPosition {" +
         targets + " }\n\t\t}\n\t}\n";
}

// A model object (index into the file's model list) with one still key per part.
inline std::string modelObject(int index, const std::vector<std::string>& parts = {"plate"}, int cameraTrans = 1,
                               int visible = 1) {
  std::string text = "\tObject " + std::to_string(index) + " {\n";
  if (cameraTrans != 1) text += "\t\tCameraTrans " + std::to_string(cameraTrans) + "\n";
  if (visible != 1) text += "\t\tVisible " + std::to_string(visible) + "\n";
  text += "\t\tDataNum 1\n\t\tTime { 0 }\n";
  for (const std::string& part : parts) {
    text += "\t\tPart \"" + part + "\" {\n\t\t\tPosition { 0 0 0 }\n\t\t}\n";
  }
  return text + "\t}\n";
}

inline std::string qelScene(const std::string& name, const std::string& objects) {
  return "Scene \"" + name + "\" {\n" + objects + "}\n";
}

inline std::string qelFile(const std::vector<std::string>& models, const std::string& scenes) {
  std::string text = "MQO {\n";
  for (std::size_t i = 0; i < models.size(); ++i) text += "\t" + std::to_string(i) + " \"" + models[i] + "\"\n";
  return text + "}\n" + scenes + "Eof\n";
}
