// The DDS reader, limited to DXT1 cube maps with all six faces: checks the header
// and lays out every face's mip levels within the file.
// Does not: upload (the texture resource does) or decompress blocks.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "framework/types.h"

namespace image {

inline constexpr std::size_t kDdsHeaderSize = 128;

struct DdsLevel {
  u32 face = 0;  // 0..5: +X, -X, +Y, -Y, +Z, -Z
  u32 level = 0;
  u32 width = 0;
  u32 height = 0;
  std::size_t offset = 0;  // from the start of the file
  std::size_t size = 0;    // bytes of DXT1 blocks
};

struct DdsCubeMap {
  u32 width = 0;
  u32 height = 0;
  u32 mipCount = 0;
  std::vector<DdsLevel> levels;  // face by face, level by level
};

// False with error for anything but a DXT1 cube map with all faces, or one
// whose levels would run past the end of the data.
bool readDdsCubeMap(const u8* pData, std::size_t size, DdsCubeMap& cubeMap, std::string& error);

}  // namespace image
