// The DDS reader: 2D textures and cube maps with all six faces, in DXT1, DXT3,
// DXT5 or uncompressed 24- and 32-bit pixels, with the classic or the DX10 header;
// checks the header and lays out every face's mip levels within the file.
// Does not: upload (the texture resource does) or decompress blocks.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "framework/types.h"

namespace image {

inline constexpr std::size_t kDdsHeaderSize = 128;
inline constexpr std::size_t kDdsDx10HeaderSize = 20;  // follows the classic header
inline constexpr u32 kMaxDdsSide = 16384;

enum class DdsPixels {
  Dxt1,  // 8-byte blocks
  Dxt3,  // 16-byte blocks
  Dxt5,  // 16-byte blocks
  Bgr8,  // 3 bytes a pixel: blue, green, red
  Bgra8,  // 4 bytes: blue, green, red, alpha (or unused when hasAlpha is false)
  Rgba8,  // 4 bytes: red, green, blue, alpha (or unused when hasAlpha is false)
};

struct DdsLevel {
  u32 face = 0;  // 0..5: +X, -X, +Y, -Y, +Z, -Z; 0 for a 2D texture
  u32 level = 0;
  u32 width = 0;
  u32 height = 0;
  std::size_t offset = 0;  // from the start of the file
  std::size_t size = 0;    // bytes of blocks or pixels
};

struct DdsTexture {
  u32 width = 0;
  u32 height = 0;
  u32 mipCount = 0;
  bool cubeMap = false;
  DdsPixels pixels = DdsPixels::Dxt1;
  bool hasAlpha = false;  // DXT1 with its one-bit alpha, or 32-bit pixels whose fourth byte is alpha
  std::vector<DdsLevel> levels;  // face by face, level by level
};
using DdsCubeMap = DdsTexture;  // the name the fuzz target reads the layout through

bool isCompressed(DdsPixels pixels);

// False with error (naming the offset of the field at fault) for volume textures,
// texture arrays, other pixel formats, a cube map missing faces, or levels that
// would run past the end of the data.
bool readDds(const u8* pData, std::size_t size, DdsTexture& texture, std::string& error);
inline bool readDdsCubeMap(const u8* pData, std::size_t size, DdsTexture& texture, std::string& error) {
  return readDds(pData, size, texture, error);
}

}  // namespace image
