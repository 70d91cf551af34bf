// DDS header checks and the layout of a DXT1 cube map's faces and levels.
#include "resource/dds_reader.h"

#include <cstdio>

namespace image {
namespace {

u32 field(const u8* pData, std::size_t offset) {
  return static_cast<u32>(pData[offset]) | static_cast<u32>(pData[offset + 1]) << 8 |
         static_cast<u32>(pData[offset + 2]) << 16 | static_cast<u32>(pData[offset + 3]) << 24;
}

std::string hex(u32 value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

u32 fullChainLength(u32 width, u32 height) {
  u32 side = width > height ? width : height;
  u32 length = 1;
  while (side > 1) {
    side >>= 1;
    ++length;
  }
  return length;
}

}  // namespace

bool readDdsCubeMap(const u8* pData, std::size_t size, DdsCubeMap& cubeMap, std::string& error) {
  cubeMap = DdsCubeMap{};
  if (!pData || size < kDdsHeaderSize) {
    error = "the file has " + std::to_string(size) + " bytes, fewer than a DDS header's 128";
    return false;
  }
  if (field(pData, 0) != 0x20534444u) {
    error = "no \"DDS \" signature";
    return false;
  }
  if (field(pData, 4) != 124) {
    error = "header size " + std::to_string(field(pData, 4)) + " is not 124";
    return false;
  }
  if ((field(pData, 8) & 0x21007u) != 0x21007u) {
    error = "flags " + hex(field(pData, 8)) + " lack caps, size, pixel format or mip-map count";
    return false;
  }
  if (field(pData, 24) != 0) {
    error = "a volume texture (depth " + std::to_string(field(pData, 24)) + ")";
    return false;
  }
  if (field(pData, 76) != 32) {
    error = "pixel format size " + std::to_string(field(pData, 76)) + " is not 32";
    return false;
  }
  if (field(pData, 84) != 0x31545844u) {
    error = "pixel format " + hex(field(pData, 84)) + " is not DXT1";
    return false;
  }
  if (field(pData, 112) != 0xFE00u) {
    error = "caps2 " + hex(field(pData, 112)) + " is not a cube map with all six faces (0xFE00)";
    return false;
  }
  cubeMap.height = field(pData, 12);
  cubeMap.width = field(pData, 16);
  cubeMap.mipCount = field(pData, 28);
  if (cubeMap.width == 0 || cubeMap.height == 0 || cubeMap.width > 16384 || cubeMap.height > 16384) {
    error = "face size " + std::to_string(cubeMap.width) + " x " + std::to_string(cubeMap.height) +
            " is outside 1..16384";
    return false;
  }
  // Levels past 1 x 1 cannot be uploaded, and a count of 0 leaves no picture.
  if (cubeMap.mipCount == 0 || cubeMap.mipCount > fullChainLength(cubeMap.width, cubeMap.height)) {
    error = "mip-map count " + std::to_string(cubeMap.mipCount) + " does not fit a " +
            std::to_string(cubeMap.width) + " x " + std::to_string(cubeMap.height) + " face";
    return false;
  }
  std::size_t offset = kDdsHeaderSize;
  for (u32 face = 0; face < 6; ++face) {
    u32 width = cubeMap.width;
    u32 height = cubeMap.height;
    for (u32 level = 0; level < cubeMap.mipCount; ++level) {
      const std::size_t bytes = static_cast<std::size_t>((width + 3) / 4) * ((height + 3) / 4) * 8;
      if (bytes > size - offset) {
        error = "face " + std::to_string(face) + " level " + std::to_string(level) + " needs " +
                std::to_string(bytes) + " bytes at offset " + std::to_string(offset) + " but the file ends at " +
                std::to_string(size);
        return false;
      }
      cubeMap.levels.push_back(DdsLevel{face, level, width, height, offset, bytes});
      offset += bytes;
      width = width > 1 ? width / 2 : 1;
      height = height > 1 ? height / 2 : 1;
    }
  }
  return true;
}

}  // namespace image
