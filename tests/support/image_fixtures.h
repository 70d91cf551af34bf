// Builders for image files used as test fixtures: BMP, TGA, Radiance HDR and DDS
// bytes written by hand, so each test states exactly what the reader sees.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "framework/types.h"

namespace fixture {

using Rgba = std::array<u8, 4>;
using PixelAt = std::function<Rgba(u32 x, u32 y)>;  // y = 0 is the top row

// A BI_RGB BMP with a 40-byte info header, bottom-up rows (top-down with a negative
// height when asked); 24 bits pads rows to 4 bytes.
std::string bmp(u32 width, u32 height, u32 bits, const PixelAt& pixel, bool topDown = false);

// An uncompressed (type 2) or run-length (type 10) true-colour TGA, rows in the
// order given (the first row written first), pixels as B, G, R[, A].
std::string tga(u32 width, u32 height, u32 bits, bool runLength, const PixelAt& pixel);

// The 18-byte TGA header with an identifier of idLength bytes after it; the caller
// appends the colour map and the pixels.
std::string tgaHeader(u32 imageType, u32 mapType, u32 mapFirst, u32 mapLength, u32 mapEntryBits, u32 width,
                      u32 height, u32 pixelBits, u32 idLength = 0);

// A BMP with any info header size (12 for OS/2 1.x; 40, 56, 108, 124 for Windows;
// 64 for OS/2 2.x), compression, palette (B, G, R[, 0] entries) and masks, with
// the pixel bytes given as they are stored.
struct BmpSpec {
  u32 headerSize = 40;
  s32 width = 1;
  s32 height = 1;
  u32 bits = 24;
  u32 compression = 0;
  std::vector<Rgba> palette;  // written as B, G, R (and 0 unless headerSize is 12)
  std::vector<u32> masks;     // written after a 40-byte header, or inside a larger one
  std::string pixels;
};
std::string bmp(const BmpSpec& spec);

// "#?<program>\nFORMAT=<format>\n\n<resolution>\n"
std::string hdrHeader(const std::string& program, const std::string& format, const std::string& resolution);
// One scanline in the run-length planar form: 2, 2, length high, low, then four
// planes, each coded as runs where values repeat and literals elsewhere.
std::string hdrRunLengthScanline(const std::vector<Rgba>& pixels);
// Pixels written one after another as R, G, B, E.
std::string hdrFlatScanline(const std::vector<Rgba>& pixels);

// A DDS with a 128-byte header and mipCount levels per face of filler blocks.
std::string dds(u32 width, u32 height, u32 mipCount, u32 fourCc, u32 caps2, u32 faces);

// Any DDS header, optionally with the DX10 extension, followed by faces x mipCount
// levels of counting filler bytes: blocks of unitBytes when compressed, else
// pixels of unitBytes.
struct DdsSpec {
  u32 width = 8;
  u32 height = 8;
  u32 mipCount = 1;
  u32 flags = 0x21007 | 0x80000;  // caps, sizes, pixel format, mip count, linear size
  u32 depth = 0;
  u32 pixelFlags = 0x4;  // four-character code present
  u32 fourCc = 0x31545844;
  u32 rgbBits = 0;
  u32 masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  u32 caps2 = 0;
  bool dx10 = false;
  u32 dxgiFormat = 0;
  u32 dimension = 3;  // 2D
  u32 miscFlag = 0;
  u32 arraySize = 1;
  u32 faces = 1;
  bool compressed = true;
  u32 unitBytes = 8;
};
std::string dds(const DdsSpec& spec);
inline constexpr u32 kFourCcDxt3 = 0x33545844;
inline constexpr u32 kFourCcDx10 = 0x30315844;
inline constexpr u32 kFourCcDxt1 = 0x31545844;
inline constexpr u32 kFourCcDxt5 = 0x35545844;
inline constexpr u32 kCaps2CubeAllFaces = 0xFE00;

// Bytes from a fixed-seed generator, so a "random file" is the same every run.
std::string randomBytes(std::size_t count, u32 seed);

}  // namespace fixture
