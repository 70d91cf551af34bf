// PNG output over stb_image_write.
#include "platform/image_file.h"

#include <stb/stb_image_write.h>

#include <cstring>
#include <vector>

namespace platform {

bool writePngFile(const std::string& path, int width, int height, const u8* rgba, bool bottomRowFirst) {
  if (width <= 0 || height <= 0 || !rgba) {
    return false;
  }
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  if (!bottomRowFirst) {
    return stbi_write_png(path.c_str(), width, height, 4, rgba, static_cast<int>(stride)) != 0;
  }
  std::vector<u8> flipped(stride * static_cast<std::size_t>(height));
  for (int row = 0; row < height; ++row) {
    std::memcpy(flipped.data() + stride * row, rgba + stride * (height - 1 - row), stride);
  }
  return stbi_write_png(path.c_str(), width, height, 4, flipped.data(), static_cast<int>(stride)) != 0;
}

}  // namespace platform
