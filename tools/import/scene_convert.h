// Turning a checked glTF document into the engine's content: one MQO model of the
// node tree, effects for its materials, the pictures, and a Qel file with one
// scene per animation whose keys follow glTF's interpolation within tolerance.
#pragma once

#include <string>
#include <vector>

#include "import/gltf_source.h"
#include "show/mesh.h"
#include "show/qel_writer.h"

namespace orvane::import {

struct ImportOptions {
  std::string name;    // file and scene names in the show
  double scale = 1.0;  // engine units per glTF metre
  double fps = 30.0;   // the rate of keys added where the engine's interpolation strays
  std::string camera;  // node or camera name; empty: the first camera node
  double stillSeconds = 10.0;
};

struct OutputFile {
  std::string name;  // inside the model's folder
  std::string bytes;
};

struct LightMarker {
  show::Vec3 position;  // OpenGL terms
  show::Vec3 target;
};

struct ConvertedScene {
  show::Model model;
  show::QelFile qel;  // model paths still to be set by the writer
  std::vector<OutputFile> files;  // pictures and effects beside the model
  LightMarker light;
  std::vector<std::string> warnings;  // one line each, without the file name
  std::size_t triangles = 0;
  double seconds = 0;  // the whole Qel file's length
};

ConvertedScene convertScene(const GltfSource& source, const ImportOptions& options);

// The model's text with the light markers before its end.
std::string modelText(const ConvertedScene& scene);

// Object names as the model and Qel readers take them, unique within a model.
std::string safeName(const std::string& name, const std::string& fallback);

}  // namespace orvane::import
