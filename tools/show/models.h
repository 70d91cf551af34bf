// The show's models: the box double helix, the box floor, pipes, the cherry tree
// in bloom and withered, petals, grass, leaves, the hill, the sky dome, light
// balls and the screen-fixed lettering plates.
#pragma once

#include <string>
#include <vector>

#include "show/image_files.h"
#include "show/mesh.h"

namespace orvane::show {

struct NamedModel {
  std::string path;  // below data/
  Model model;
};

std::vector<NamedModel> buildModels();

// A part of a card's picture, in texture coordinates (v = 0 on its top row).
struct UvRect {
  double u0, v0, u1, v1;
};

// The smallest part of `picture` outside which no linearly filtered sample has an
// alpha above `threshold`: a card cut down to it draws the same pixels through an
// alpha test at that threshold, and shades fewer that the test then throws away.
UvRect alphaTestBounds(const Image& picture, double threshold);

// Height of the meadow hill at (x, z); trees and grass stand on it.
double hillHeight(double x, double z);

}  // namespace orvane::show
