// The show's pictures, painted from code: the dusk sky (also as the reflection
// cube), bark, ground, metal, petal, leaf, box tiles, the title lettering and the
// vignette of the final grade.
#pragma once

#include <array>
#include <string>

#include "show/image_files.h"
#include "show/show_math.h"

namespace orvane::show {

// The colour of the dusk sky seen along a direction (y up), linear 0..1.
Vec3 skyColour(Vec3 direction);

FloatImage paintSky(int width, int height);
std::array<Image, 6> paintEnvironmentCube(int size);
Image paintBark(int size);
Image paintGround(int size);
Image paintMetal(int size);
Image paintPetal(int size);
inline constexpr int kPetalSize = 64;  // petal.bmp is painted this size
Image paintLeaf(int size);
Image paintBoxTile(int size);
Image paintVignette(int size);
// The four lines of the lettering picture (1024 x 256, 64 rows a line).
inline const std::array<std::string, 4> kLetteringLines = {"ORVANE", "AIR", "GREETINGS TO EVERYONE",
                                                           "THANK YOU FOR WATCHING"};

// White letters with alpha, one line of text per band of `lineHeight` rows.
Image paintLettering(int width, int height, int lineHeight, const std::array<std::string, 4>& lines);

}  // namespace orvane::show
