// stb_image / stb_image_write behind platform::decodePicture and platform::writeJpeg.
#include "platform/picture_decoder.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <climits>
#include <cstring>
#include <memory>

namespace platform {
namespace {

u32 littleEndian(const u8* p, int bytes) {
  u32 value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

// stb_image reads missing bytes as zeros, so a cut-off file would decode into a
// picture with black rows; these checks catch the cut before decoding.
bool isCompleteBmp(const u8* pData, std::size_t size, u32 width, u32 height, std::string& error) {
  if (size < 34) return true;  // too short for stb_image to accept anyway
  const u32 pixelOffset = littleEndian(pData + 10, 4);
  const u32 bits = littleEndian(pData + 28, 2);
  const u32 compression = littleEndian(pData + 30, 4);
  if (littleEndian(pData + 14, 4) < 40 || (compression != 0 && compression != 3)) return true;
  const u64 stride = (static_cast<u64>(width) * bits + 31) / 32 * 4;
  const u64 needed = pixelOffset + stride * height;
  if (needed > size) {
    error = "the BMP needs " + std::to_string(needed) + " bytes but the file has " + std::to_string(size);
    return false;
  }
  return true;
}

// stb_image 2.27 builds a Huffman table without checking that its code counts
// add up to at most 256, and writes past the table when they do. Every "FF C4"
// pair is a place the decoder may take for a table definition (payload bytes
// included, so nothing the decoder could see is missed); each such segment's
// tables are walked as the decoder walks them.
bool hasOversizedHuffmanTable(const u8* pData, std::size_t size, std::string& error) {
  for (std::size_t marker = 0; marker + 4 <= size; ++marker) {
    if (pData[marker] != 0xFF || pData[marker + 1] != 0xC4) continue;
    long remaining = static_cast<long>(pData[marker + 2] << 8 | pData[marker + 3]) - 2;
    std::size_t at = marker + 4;
    // The decoder reads zeros past the end of the data, so a table cut off by
    // the end still counts the codes that are there.
    while (remaining > 0 && at < size) {
      std::size_t codes = 0;
      for (std::size_t i = 1; i <= 16 && at + i < size; ++i) codes += pData[at + i];
      if (codes > 256) {
        error = "a JPEG Huffman table declares " + std::to_string(codes) + " codes, more than 256";
        return true;
      }
      remaining -= static_cast<long>(17 + codes);
      at += 17 + codes;
    }
  }
  return false;
}

bool startsLikeJpeg(const u8* pData, std::size_t size) {
  // The decoder skips fill bytes before the start-of-image marker too.
  std::size_t at = 0;
  if (size < 2 || pData[0] != 0xFF) return false;
  while (at < size && pData[at] == 0xFF) ++at;
  return at < size && pData[at] == 0xD8;
}

bool isCompleteJpeg(const u8* pData, std::size_t size, std::string& error) {
  // Walk the marker segments to the first scan, then look for the end-of-image
  // marker; inside entropy-coded data a 0xFF byte is always escaped.
  std::size_t position = 2;
  while (position + 4 <= size) {
    if (pData[position] != 0xFF) break;
    const u8 marker = pData[position + 1];
    if (marker == 0xFF) {
      ++position;
      continue;
    }
    if (marker == 0xDA) {
      for (std::size_t i = position + 2; i + 1 < size; ++i) {
        if (pData[i] == 0xFF && pData[i + 1] == 0xD9) return true;
      }
      break;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      position += 2;
    } else {
      position += 2 + (static_cast<std::size_t>(pData[position + 2]) << 8 | pData[position + 3]);
    }
  }
  error = "the JPEG data ends before its end-of-image marker";
  return false;
}

}  // namespace

namespace {
bool decode(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error, bool bmpOrJpegOnly);
}

bool decodePicture(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error) {
  return decode(pData, size, picture, error, true);
}

bool decodeAnyPicture(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error) {
  return decode(pData, size, picture, error, false);
}

namespace {
bool decode(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error, bool bmpOrJpegOnly) {
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
  // stb_image would take any format it knows by its content; this path is for
  // BMP and JPEG only (a few bytes that happen to look like a TGA header would
  // otherwise decode into a picture of thousands of pixels a side).
  const bool isBmp = size >= 2 && pData[0] == 'B' && pData[1] == 'M';
  const bool isJpeg = size >= 2 && pData[0] == 0xFF && pData[1] == 0xD8;
  if (bmpOrJpegOnly && !isBmp && !isJpeg) {
    error = "not a BMP or JPEG picture";
    return false;
  }
  if (startsLikeJpeg(pData, size) && hasOversizedHuffmanTable(pData, size, error)) return false;
  if (!stbi_info_from_memory(pData, length, &width, &height, &channels)) {
    error = std::string("not a picture the decoder can read (") + stbi_failure_reason() + ")";
    return false;
  }
  // stb_image reports a top-down BMP's height as stored, negative.
  height = height < 0 && height != INT_MIN ? -height : height;
  if (width <= 0 || height <= 0 || static_cast<u32>(width) > kMaxPictureSide ||
      static_cast<u32>(height) > kMaxPictureSide) {
    error = "picture size " + std::to_string(width) + " x " + std::to_string(height) +
            " is outside 1.." + std::to_string(kMaxPictureSide);
    return false;
  }
  if (isBmp &&
      !isCompleteBmp(pData, size, static_cast<u32>(width), static_cast<u32>(height), error)) {
    return false;
  }
  if (isJpeg) {
    if (!isCompleteJpeg(pData, size, error)) {
      return false;
    }
    // Every 8 x 8 block of a scan costs at least one bit, so a file cannot hold
    // more blocks than it has bits: a tiny file claiming a huge picture would
    // otherwise be decoded at full size from nothing.
    const u64 blocks = (static_cast<u64>(width) + 7) / 8 * ((static_cast<u64>(height) + 7) / 8);
    if (blocks > static_cast<u64>(size) * 8) {
      error = "the JPEG data is too short for a " + std::to_string(width) + " x " + std::to_string(height) +
              " picture";
      return false;
    }
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
}  // namespace

bool writeJpeg(const std::string& path, u32 width, u32 height, const u8* pRgb, int quality) {
  return stbi_write_jpg(path.c_str(), static_cast<int>(width), static_cast<int>(height), 3, pRgb, quality) != 0;
}

}  // namespace platform
