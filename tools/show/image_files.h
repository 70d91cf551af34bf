// Writers of the picture formats the show ships: BMP (24 and 32 bit), TGA (raw
// and run-length), Radiance HDR (run-length RGBE), DDS (an uncompressed cube map
// with mip levels: a software renderer decodes DXT1 blocks for every texel it
// samples) and JPEG (through stb_image_write).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::show {

// Top row first, 4 bytes (R, G, B, A) per pixel, 0..255.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;

  Image() = default;
  Image(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 0) {}
  std::uint8_t* at(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
  const std::uint8_t* at(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
  void set(int x, int y, double r, double g, double b, double a = 1.0);
};

// Linear light per pixel, top row first, 3 floats per pixel.
struct FloatImage {
  int width = 0;
  int height = 0;
  std::vector<float> rgb;
};

using Bytes = std::vector<std::uint8_t>;

Bytes encodeBmp(const Image& image, bool withAlpha);
Bytes encodeTga(const Image& image, bool withAlpha, bool runLength);
Bytes encodeHdr(const FloatImage& image);
// Faces in the order +X, -X, +Y, -Y, +Z, -Z, each square and a power of two.
Bytes encodeDdsCube(const std::array<Image, 6>& faces);
Bytes encodeJpeg(const Image& image, int quality);

void writeFile(const std::string& path, const Bytes& bytes);
void writeText(const std::string& path, const std::string& text);

}  // namespace orvane::show
