// stb_image / stb_image_write behind platform::decodePicture and platform::writeJpeg.
#include "platform/picture_decoder.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <climits>
#include <cstring>
#include <memory>

namespace platform {

bool decodePicture(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error) {
  picture = DecodedPicture{};
  if (!pData || size == 0) {
    error = "the file is empty";
    return false;
  }
  if (size > static_cast<std::size_t>(INT_MAX)) {
    error = "the file is too large to decode";
    return false;
  }
  int width = 0;
  int height = 0;
  int channels = 0;
  const int length = static_cast<int>(size);
  if (!stbi_info_from_memory(pData, length, &width, &height, &channels)) {
    error = std::string("not a picture the decoder can read (") + stbi_failure_reason() + ")";
    return false;
  }
  if (width <= 0 || height <= 0 || static_cast<u32>(width) > kMaxPictureSide ||
      static_cast<u32>(height) > kMaxPictureSide) {
    error = "picture size " + std::to_string(width) + " x " + std::to_string(height) +
            " is outside 1.." + std::to_string(kMaxPictureSide);
    return false;
  }
  std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(pData, length, &width, &height, &channels, 3), stbi_image_free);
  if (!pixels) {
    error = std::string("the picture could not be decoded (") + stbi_failure_reason() + ")";
    return false;
  }
  picture.width = static_cast<u32>(width);
  picture.height = static_cast<u32>(height);
  picture.rgb.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(width) * height * 3);
  return true;
}

bool writeJpeg(const std::string& path, u32 width, u32 height, const u8* pRgb, int quality) {
  return stbi_write_jpg(path.c_str(), static_cast<int>(width), static_cast<int>(height), 3, pRgb, quality) != 0;
}

}  // namespace platform
