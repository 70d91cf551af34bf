// DDS header checks and the layout of a texture's faces and levels.
#include "resource/dds_reader.h"

#include <cstdio>

namespace image {
namespace {

constexpr u32 kFlagDepth = 0x800000;
constexpr u32 kFlagMipCount = 0x20000;
constexpr u32 kFlagsRequired = 0x1007;  // caps, height, width, pixel format
constexpr u32 kPixelAlpha = 0x1;
constexpr u32 kPixelFourCc = 0x4;
constexpr u32 kPixelRgb = 0x40;
constexpr u32 kCaps2CubeMap = 0x200;
constexpr u32 kCaps2AllFaces = 0xFC00;
constexpr u32 kCaps2Volume = 0x200000;

constexpr u32 fourCc(char a, char b, char c, char d) {
  return static_cast<u32>(static_cast<u8>(a)) | static_cast<u32>(static_cast<u8>(b)) << 8 |
         static_cast<u32>(static_cast<u8>(c)) << 16 | static_cast<u32>(static_cast<u8>(d)) << 24;
}

u32 field(const u8* pData, std::size_t offset) {
  return static_cast<u32>(pData[offset]) | static_cast<u32>(pData[offset + 1]) << 8 |
         static_cast<u32>(pData[offset + 2]) << 16 | static_cast<u32>(pData[offset + 3]) << 24;
}

std::string hex(u32 value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string at(std::size_t offset) { return "offset " + std::to_string(offset) + ": "; }

u32 fullChainLength(u32 width, u32 height) {
  u32 side = width > height ? width : height;
  u32 length = 1;
  while (side > 1) {
    side >>= 1;
    ++length;
  }
  return length;
}

std::size_t levelBytes(DdsPixels pixels, u32 width, u32 height) {
  const std::size_t blocks = static_cast<std::size_t>((width + 3) / 4) * ((height + 3) / 4);
  switch (pixels) {
    case DdsPixels::Dxt1: return blocks * 8;
    case DdsPixels::Dxt3:
    case DdsPixels::Dxt5: return blocks * 16;
    case DdsPixels::Bgr8: return static_cast<std::size_t>(width) * height * 3;
    case DdsPixels::Bgra8:
    case DdsPixels::Rgba8: return static_cast<std::size_t>(width) * height * 4;
  }
  return 0;
}

// The classic header's pixel format block (offsets 76..107).
bool readPixelFormat(const u8* pData, DdsTexture& texture, std::string& error) {
  if (field(pData, 76) != 32) {
    error = at(76) + "pixel format size " + std::to_string(field(pData, 76)) + " is not 32";
    return false;
  }
  const u32 flags = field(pData, 80);
  if (flags & kPixelFourCc) {
    const u32 code = field(pData, 84);
    if (code == fourCc('D', 'X', 'T', '1')) {
      texture.pixels = DdsPixels::Dxt1;
      texture.hasAlpha = (flags & kPixelAlpha) != 0;
    } else if (code == fourCc('D', 'X', 'T', '3')) {
      texture.pixels = DdsPixels::Dxt3;
      texture.hasAlpha = true;
    } else if (code == fourCc('D', 'X', 'T', '5')) {
      texture.pixels = DdsPixels::Dxt5;
      texture.hasAlpha = true;
    } else {
      error = at(84) + "pixel format " + hex(code) + " is not DXT1, DXT3, DXT5 or DX10";
      return false;
    }
    return true;
  }
  const u32 bits = field(pData, 88);
  const u32 red = field(pData, 92);
  const u32 green = field(pData, 96);
  const u32 blue = field(pData, 100);
  const u32 alpha = field(pData, 104);
  texture.hasAlpha = (flags & kPixelAlpha) != 0 && alpha == 0xFF000000u;
  if ((flags & kPixelRgb) && bits == 24 && red == 0xFF0000u && green == 0xFF00u && blue == 0xFFu) {
    texture.pixels = DdsPixels::Bgr8;
    return true;
  }
  if ((flags & kPixelRgb) && bits == 32 && green == 0xFF00u && ((flags & kPixelAlpha) == 0 || alpha == 0xFF000000u)) {
    if (red == 0xFF0000u && blue == 0xFFu) {
      texture.pixels = DdsPixels::Bgra8;
      return true;
    }
    if (red == 0xFFu && blue == 0xFF0000u) {
      texture.pixels = DdsPixels::Rgba8;
      return true;
    }
  }
  error = at(80) + "pixel format flags " + hex(flags) + " with " + std::to_string(bits) + " bits and masks " +
          hex(red) + ", " + hex(green) + ", " + hex(blue) + ", " + hex(alpha) +
          " are not DXT1, DXT3, DXT5, 24-bit BGR or 32-bit BGRA or RGBA";
  return false;
}

// The extended header (offsets 128..147) that replaces the four-character code "DX10".
bool readDx10Header(const u8* pData, std::size_t size, DdsTexture& texture, bool& cubeMap, std::string& error) {
  if (size < kDdsHeaderSize + kDdsDx10HeaderSize) {
    error = at(kDdsHeaderSize) + "the file ends inside the DX10 header";
    return false;
  }
  const u32 format = field(pData, 128);
  const u32 dimension = field(pData, 132);
  const u32 arraySize = field(pData, 140);
  if (dimension == 4) {
    error = at(132) + "a volume texture (DX10 resource dimension 3D), which is not read";
    return false;
  }
  if (dimension != 3) {
    error = at(132) + "DX10 resource dimension " + std::to_string(dimension) + " is not a 2D texture";
    return false;
  }
  if (arraySize > 1) {
    error = at(140) + "a texture array of " + std::to_string(arraySize) + " textures, which is not read";
    return false;
  }
  cubeMap = (field(pData, 136) & 0x4) != 0;
  switch (format) {
    case 71:
    case 72: texture.pixels = DdsPixels::Dxt1; texture.hasAlpha = true; break;
    case 74:
    case 75: texture.pixels = DdsPixels::Dxt3; texture.hasAlpha = true; break;
    case 77:
    case 78: texture.pixels = DdsPixels::Dxt5; texture.hasAlpha = true; break;
    case 28:
    case 29: texture.pixels = DdsPixels::Rgba8; texture.hasAlpha = true; break;
    default:
      error = at(128) + "DXGI format " + std::to_string(format) + " is not BC1, BC2, BC3 or RGBA8";
      return false;
  }
  return true;
}

}  // namespace

bool isCompressed(DdsPixels pixels) {
  return pixels == DdsPixels::Dxt1 || pixels == DdsPixels::Dxt3 || pixels == DdsPixels::Dxt5;
}

bool readDds(const u8* pData, std::size_t size, DdsTexture& texture, std::string& error) {
  texture = DdsTexture{};
  if (!pData || size < kDdsHeaderSize) {
    error = "the file has " + std::to_string(size) + " bytes, fewer than a DDS header's 128";
    return false;
  }
  if (field(pData, 0) != 0x20534444u) {
    error = at(0) + "no \"DDS \" signature";
    return false;
  }
  if (field(pData, 4) != 124) {
    error = at(4) + "header size " + std::to_string(field(pData, 4)) + " is not 124";
    return false;
  }
  const u32 flags = field(pData, 8);
  if ((flags & kFlagsRequired) != kFlagsRequired) {
    error = at(8) + "flags " + hex(flags) + " lack caps, size or pixel format";
    return false;
  }
  const u32 caps2 = field(pData, 112);
  const u32 depth = field(pData, 24);
  // Some writers put 1 in the depth of a flat texture; only the flag, the cap or
  // a real depth make a volume.
  if ((flags & kFlagDepth) || (caps2 & kCaps2Volume) || depth > 1) {
    error = at(24) + "a volume texture (depth " + std::to_string(depth) + "), which is not read";
    return false;
  }
  bool cubeMap = (caps2 & kCaps2CubeMap) != 0;
  std::size_t offset = kDdsHeaderSize;
  if ((field(pData, 80) & kPixelFourCc) && field(pData, 84) == fourCc('D', 'X', '1', '0')) {
    bool dx10Cube = false;
    if (!readDx10Header(pData, size, texture, dx10Cube, error)) return false;
    cubeMap = cubeMap || dx10Cube;
    offset += kDdsDx10HeaderSize;
  } else if (!readPixelFormat(pData, texture, error)) {
    return false;
  }
  const u32 cubeBits = caps2 & (kCaps2CubeMap | kCaps2AllFaces);
  if (cubeBits != 0 && cubeBits != (kCaps2CubeMap | kCaps2AllFaces)) {
    error = at(112) + "caps2 " + hex(caps2) + " is a cube map without all six faces";
    return false;
  }
  texture.cubeMap = cubeMap;
  texture.height = field(pData, 12);
  texture.width = field(pData, 16);
  // Without the mip-map count flag the count field means nothing: one level.
  texture.mipCount = (flags & kFlagMipCount) ? field(pData, 28) : 1;
  if (texture.width == 0 || texture.height == 0 || texture.width > kMaxDdsSide || texture.height > kMaxDdsSide) {
    error = at(12) + "size " + std::to_string(texture.width) + " x " + std::to_string(texture.height) +
            " is outside 1.." + std::to_string(kMaxDdsSide);
    return false;
  }
  // Levels past 1 x 1 cannot be uploaded, and a count of 0 leaves no picture.
  if (texture.mipCount == 0 || texture.mipCount > fullChainLength(texture.width, texture.height)) {
    error = at(28) + "mip-map count " + std::to_string(texture.mipCount) + " does not fit a " +
            std::to_string(texture.width) + " x " + std::to_string(texture.height) + " texture";
    return false;
  }
  const u32 faces = cubeMap ? 6 : 1;
  for (u32 face = 0; face < faces; ++face) {
    u32 width = texture.width;
    u32 height = texture.height;
    for (u32 level = 0; level < texture.mipCount; ++level) {
      const std::size_t bytes = levelBytes(texture.pixels, width, height);
      if (bytes > size - offset) {
        error = at(offset) + "face " + std::to_string(face) + " level " + std::to_string(level) + " needs " +
                std::to_string(bytes) + " bytes but the file ends at " + std::to_string(size);
        return false;
      }
      texture.levels.push_back(DdsLevel{face, level, width, height, offset, bytes});
      offset += bytes;
      width = width > 1 ? width / 2 : 1;
      height = height > 1 ? height / 2 : 1;
    }
  }
  return true;
}

}  // namespace image
