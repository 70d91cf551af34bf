// The TGA reader: uncompressed and run-length true-colour images of 24 or 32 bits,
// with no identifier and no colour map, pixels turned from BGR(A) into RGB(A).
// Does not: apply the origin bits (rows stay in file order) or check sizes for powers of two.
#pragma once

#include <cstddef>
#include <string>

#include "framework/types.h"

namespace image {

inline constexpr std::size_t kTgaHeaderSize = 18;
inline constexpr u32 kMaxTgaSide = 16384;

struct TgaHeader {
  bool compressed = false;
  u32 width = 0;
  u32 height = 0;
  u32 bitsPerPixel = 0;  // 24 or 32
};

// The first 18 bytes; false with error for any other image type or layout.
bool readTgaHeader(const u8* pData, std::size_t size, TgaHeader& header, std::string& error);

// The fewest bytes after the header that can hold the image (every packet as long
// as possible when compressed): a shorter file is refused before any allocation.
std::size_t minimumTgaPixelBytes(const TgaHeader& header);

// Decodes width x height pixels (bitsPerPixel / 8 bytes each) into pPixels. False
// with error when the file ends early; a run-length packet that passes the image's
// last pixel is a fatal check.
bool readTgaPixels(const u8* pData, std::size_t size, const TgaHeader& header, u8* pPixels, std::string& error);

}  // namespace image
