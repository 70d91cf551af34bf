// The Radiance RGBE (.hdr) reader: header, resolution line in either order, and
// scanlines in the run-length planar form or flat with repeat markers, placed
// upright whatever the resolution line's axis order and signs.
// Does not: convert RGBE to colours (the texture manager does at upload).
#pragma once

#include <cstddef>
#include <string>

#include "framework/types.h"

namespace image {

// Sides above this are refused: no card takes such a texture, and a forged
// resolution line must not make the loader allocate gigabytes.
inline constexpr u32 kMaxHdrSide = 16384;

struct HdrHeader {
  u32 xSize = 0;
  u32 ySize = 0;
  u32 scanlineLength = 0;  // pixels per scanline as stored
  u32 scanlineCount = 0;
  bool columns = false;      // X named first: each scanline is a column
  bool rightToLeft = false;  // -X: a scanline (or the columns) runs from the right
  bool bottomToTop = false;  // +Y: the rows (or a column) run from the bottom
  std::size_t dataOffset = 0;  // first byte after the resolution line
};

// Parses the header up to and including the resolution line. False with error
// on a wrong program type or format, a missing blank line or resolution line, or
// fewer bytes after it than the claimed scanlines take at the least.
bool readHdrHeader(const u8* pData, std::size_t size, HdrHeader& header, std::string& error);

// Decodes every scanline into pPixels (rows of rowPixels RGBE pixels, 4 bytes
// each, rowCount rows), placed as the resolution line's axes and signs say: row 0
// is the picture's top, column 0 its left. False with error when the picture does
// not fit the rows, the data ends early or a run or repeat has no sound reading.
bool readHdrScanlines(const u8* pData, std::size_t size, const HdrHeader& header, u8* pPixels, u32 rowPixels,
                      u32 rowCount, std::string& error);

}  // namespace image
