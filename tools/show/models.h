// The show's models: the box double helix, the box floor, pipes, the cherry tree
// in bloom and withered, petals, grass, leaves, the hill, the sky dome, light
// balls and the screen-fixed lettering plates.
#pragma once

#include <string>
#include <vector>

#include "show/mesh.h"

namespace orvane::show {

struct NamedModel {
  std::string path;  // below data/
  Model model;
};

std::vector<NamedModel> buildModels();

// Height of the meadow hill at (x, z); trees and grass stand on it.
double hillHeight(double x, double z);

}  // namespace orvane::show
