// Makes the desktop icon from the setup dialog's picture: a square of blossoms
// against the dusk glow, cut from the tall picture and scaled to each icon size,
// written as PNG files. Reads only 24-bit bottom-up BMP files (what the dialog
// art generator writes). Usage: orvane_app_icon PICTURE.bmp OUTPUT_FOLDER SIZE...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // top row first
};

std::uint32_t little(const std::vector<std::uint8_t>& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

bool readBmp(const char* path, Picture& picture) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const std::uint32_t offset = little(bytes, 10, 4);
  const auto width = static_cast<std::int32_t>(little(bytes, 18, 4));
  const auto height = static_cast<std::int32_t>(little(bytes, 22, 4));
  if (little(bytes, 28, 2) != 24 || little(bytes, 30, 4) != 0 || width <= 0 || height <= 0 || width > 4096 ||
      height > 4096) {
    return false;
  }
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  if (offset > bytes.size() || (bytes.size() - offset) / stride < static_cast<std::size_t>(height)) return false;
  picture.width = width;
  picture.height = height;
  picture.rgb.resize(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* pRow = bytes.data() + offset + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pOut = &picture.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      pOut[0] = pRow[x * 3 + 2];
      pOut[1] = pRow[x * 3 + 1];
      pOut[2] = pRow[x * 3];
    }
  }
  return true;
}

// The square side x side from (left, top), scaled to size x size by averaging the
// source area under each icon pixel (a box filter, on a 4 x 4 grid of samples).
std::vector<std::uint8_t> squareIcon(const Picture& picture, int left, int top, int side, int size) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * size * 4);
  constexpr int kGrid = 4;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float sum[3] = {0, 0, 0};
      for (int sy = 0; sy < kGrid; ++sy) {
        for (int sx = 0; sx < kGrid; ++sx) {
          const int px = left + std::min(side - 1, static_cast<int>((x + (sx + 0.5f) / kGrid) * side / size));
          const int py = top + std::min(side - 1, static_cast<int>((y + (sy + 0.5f) / kGrid) * side / size));
          const std::uint8_t* pIn = &picture.rgb[(static_cast<std::size_t>(py) * picture.width + px) * 3];
          for (int c = 0; c < 3; ++c) sum[c] += pIn[c];
        }
      }
      std::uint8_t* pOut = &rgba[(static_cast<std::size_t>(y) * size + x) * 4];
      for (int c = 0; c < 3; ++c) pOut[c] = static_cast<std::uint8_t>(sum[c] / (kGrid * kGrid) + 0.5f);
      pOut[3] = 255;
    }
  }
  return rgba;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "Usage: orvane_app_icon PICTURE.bmp OUTPUT_FOLDER SIZE...\n");
    return 2;
  }
  Picture picture;
  if (!readBmp(argv[1], picture)) {
    std::fprintf(stderr, "orvane_app_icon: %s is not a 24-bit BMP picture\n", argv[1]);
    return 1;
  }
  // The lower blossoms with the glow of the setting sun below them: 0.43 of the
  // way down the tall picture, as wide as it is.
  const int side = std::min(picture.width, picture.height);
  const int top = std::min(picture.height - side, picture.height * 43 / 100);
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 16 || size > 1024) {
      std::fprintf(stderr, "orvane_app_icon: icon size '%s' is not 16 to 1024\n", argv[i]);
      return 2;
    }
    const std::string path = std::string(argv[2]) + "/orvane-" + argv[i] + ".png";
    const std::vector<std::uint8_t> rgba = squareIcon(picture, (picture.width - side) / 2, top, side, size);
    if (!stbi_write_png(path.c_str(), size, size, 4, rgba.data(), size * 4)) {
      std::fprintf(stderr, "orvane_app_icon: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
