// Dialog pictures through the texture's guarded picture decoder (reading) and our
// PNG writer.
#include "platform/dialog_image.h"

#include <cstdio>
#include <memory>
#include <new>

#include "platform/image_file.h"
#include "platform/picture_decoder.h"

namespace platform {

namespace {

bool readAndDecode(const std::string& path, DialogImage& image) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) return false;
  // The artwork is a few hundred kilobytes; a file far larger is not a dialog picture.
  std::vector<u8> bytes;
  u8 chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    if (bytes.size() + got > kMaxDialogImageBytes) {
      std::fprintf(stderr, "orvane: dialog picture \"%s\" is larger than %zu bytes\n", path.c_str(),
                   kMaxDialogImageBytes);
      return false;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  DecodedPicture picture;
  std::string error;
  if (!decodePicture(bytes.data(), bytes.size(), picture, error)) {
    std::fprintf(stderr, "orvane: cannot read dialog picture \"%s\": %s\n", path.c_str(), error.c_str());
    return false;
  }
  const std::size_t pixels = static_cast<std::size_t>(picture.width) * picture.height;
  image.width = static_cast<int>(picture.width);
  image.height = static_cast<int>(picture.height);
  image.rgba.resize(pixels * 4);
  for (std::size_t i = 0; i < pixels; ++i) {
    image.rgba[i * 4] = picture.rgb[i * 3];
    image.rgba[i * 4 + 1] = picture.rgb[i * 3 + 1];
    image.rgba[i * 4 + 2] = picture.rgb[i * 3 + 2];
    image.rgba[i * 4 + 3] = picture.alpha.empty() ? 255 : picture.alpha[i];
  }
  return true;
}

}  // namespace

bool loadDialogImage(const std::string& path, DialogImage& image) {
  try {
    return readAndDecode(path, image);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "orvane: not enough memory to read dialog picture \"%s\"\n", path.c_str());
    image = DialogImage{};
    return false;
  }
}

bool saveDialogImagePng(const std::string& path, const DialogImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgba.size() != static_cast<std::size_t>(image.width) * image.height * 4) {
    return false;
  }
  return writePngFile(path, image.width, image.height, image.rgba.data(), false);
}

}  // namespace platform
