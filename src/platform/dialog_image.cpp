// Dialog pictures through stb_image (reading) and our PNG writer.
#include "platform/dialog_image.h"

#include "platform/image_file.h"

#include <stb/stb_image.h>

#include <cstring>

namespace platform {

bool loadDialogImage(const std::string& path, DialogImage& image) {
  int width = 0;
  int height = 0;
  int channels = 0;
  stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
  if (!pixels) return false;
  image.width = width;
  image.height = height;
  image.rgba.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
  stbi_image_free(pixels);
  return true;
}

bool saveDialogImagePng(const std::string& path, const DialogImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgba.size() != static_cast<std::size_t>(image.width) * image.height * 4) {
    return false;
  }
  return writePngFile(path, image.width, image.height, image.rgba.data(), false);
}

}  // namespace platform
