// Our BMP reader, libjpeg-turbo (through our JPEG reader) and stb_image (PNG)
// behind platform::decodePicture, with one size limit for all; stb_image_write
// behind platform::writeJpeg.
#include "platform/picture_decoder.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/bmp_decoder.h"
#include "platform/jpeg_decoder.h"

namespace platform {
namespace {

bool isPng(const u8* pData, std::size_t size) {
  static const u8 kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return size >= 8 && std::memcmp(pData, kSignature, 8) == 0;
}

bool sizeIsAllowed(u32 width, u32 height, std::string& error) {
  if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
      static_cast<u64>(width) * height > kMaxPicturePixels) {
    error = "picture size " + std::to_string(width) + " x " + std::to_string(height) + " is outside 1.." +
            std::to_string(kMaxPictureSide) + " a side or above " + std::to_string(kMaxPicturePixels) + " pixels";
    return false;
  }
  return true;
}

bool decodeWithOurBmpReader(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error) {
  u32 width = 0;
  u32 height = 0;
  if (!readBmpSize(pData, size, width, height, error) || !sizeIsAllowed(width, height, error)) return false;
  BmpPicture bmp;
  if (!decodeBmp(pData, size, bmp, error)) return false;
  picture.width = bmp.width;
  picture.height = bmp.height;
  picture.rgb = std::move(bmp.rgb);
  picture.alpha = std::move(bmp.alpha);
  return true;
}

bool decodeWithOurJpegReader(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error) {
  u32 width = 0;
  u32 height = 0;
  if (!readJpegSize(pData, size, width, height, error) || !sizeIsAllowed(width, height, error)) return false;
  JpegPicture jpeg;
  if (!decodeJpeg(pData, size, jpeg, error)) return false;
  picture.width = jpeg.width;
  picture.height = jpeg.height;
  picture.rgb = std::move(jpeg.rgb);
  return true;
}

bool decode(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error, bool texturesOnly) {
  picture = DecodedPicture{};
  if (!pData || size == 0) {
    error = "the file is empty";
    return false;
  }
  if (size > static_cast<std::size_t>(INT_MAX)) {
    error = "the file is too large to decode";
    return false;
  }
  // BMPs of every kind go to our own reader: stb_image knows neither run-length
  // data nor OS/2 2.x headers, nor a 32-bit picture's alpha mask.
  if (size >= 2 && pData[0] == 'B' && pData[1] == 'M') return decodeWithOurBmpReader(pData, size, picture, error);
  if (size >= 2 && pData[0] == 0xFF && pData[1] == 0xD8) return decodeWithOurJpegReader(pData, size, picture, error);
  // stb_image would take any format it knows by its content; this path is for
  // PNG only (a few bytes that happen to look like a TGA header would otherwise
  // decode into a picture of thousands of pixels a side).
  if (texturesOnly && !isPng(pData, size)) {
    error = "not a BMP, JPEG or PNG picture";
    return false;
  }
  const int length = static_cast<int>(size);
  int width = 0;
  int height = 0;
  int channels = 0;
  if (!stbi_info_from_memory(pData, length, &width, &height, &channels)) {
    error = std::string("not a picture the decoder can read (") + stbi_failure_reason() + ")";
    return false;
  }
  height = height < 0 && height != INT_MIN ? -height : height;
  if (width <= 0 || height <= 0 || !sizeIsAllowed(static_cast<u32>(width), static_cast<u32>(height), error)) {
    if (error.empty()) error = "picture size " + std::to_string(width) + " x " + std::to_string(height) + " is not a picture";
    return false;
  }
  const bool withAlpha = channels == 2 || channels == 4;
  const int wanted = withAlpha ? 4 : 3;
  std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(pData, length, &width, &height, &channels, wanted), stbi_image_free);
  if (!pixels) {
    error = std::string("the picture could not be decoded (") + stbi_failure_reason() + ")";
    return false;
  }
  picture.width = static_cast<u32>(width);
  picture.height = static_cast<u32>(height);
  const std::size_t count = static_cast<std::size_t>(width) * height;
  if (!withAlpha) {
    picture.rgb.assign(pixels.get(), pixels.get() + count * 3);
    return true;
  }
  picture.rgb.resize(count * 3);
  picture.alpha.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::memcpy(&picture.rgb[i * 3], pixels.get() + i * 4, 3);
    picture.alpha[i] = pixels.get()[i * 4 + 3];
  }
  return true;
}

}  // namespace

bool decodePicture(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error) {
  return decode(pData, size, picture, error, true);
}

bool decodeAnyPicture(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error) {
  return decode(pData, size, picture, error, false);
}

bool writeJpeg(const std::string& path, u32 width, u32 height, const u8* pRgb, int quality) {
  return stbi_write_jpg(path.c_str(), static_cast<int>(width), static_cast<int>(height), 3, pRgb, quality) != 0;
}

}  // namespace platform
