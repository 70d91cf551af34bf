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

// "#?<program>\nFORMAT=<format>\n\n<resolution>\n"
std::string hdrHeader(const std::string& program, const std::string& format, const std::string& resolution);
// One scanline in the run-length planar form: 2, 2, length high, low, then four
// planes, each coded as runs where values repeat and literals elsewhere.
std::string hdrRunLengthScanline(const std::vector<Rgba>& pixels);
// Pixels written one after another as R, G, B, E.
std::string hdrFlatScanline(const std::vector<Rgba>& pixels);

// A DDS with a 128-byte header and mipCount levels per face of filler blocks.
std::string dds(u32 width, u32 height, u32 mipCount, u32 fourCc, u32 caps2, u32 faces);
inline constexpr u32 kFourCcDxt1 = 0x31545844;
inline constexpr u32 kFourCcDxt5 = 0x35545844;
inline constexpr u32 kCaps2CubeAllFaces = 0xFE00;

// Bytes from a fixed-seed generator, so a "random file" is the same every run.
std::string randomBytes(std::size_t count, u32 seed);

}  // namespace fixture
