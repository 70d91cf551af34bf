// The TGA reader: true-colour (types 2 and 10), grayscale (3 and 11) and
// colour-mapped (1 and 9) images, uncompressed or run-length, of 8 to 32 bits,
// turned into RGB or RGBA rows in file order.
// Does not: apply the origin bits (rows stay in file order) or pad to powers of two.
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
  u32 bitsPerPixel = 0;  // of the decoded pixels: 24 (RGB) or 32 (RGBA)
  u32 imageType = 0;     // 1, 2, 3, 9, 10 or 11
  u32 pixelBits = 0;     // of a pixel (or colour index) in the file
  u32 mapFirst = 0;      // colour map: first index, entry count and bits per entry
  u32 mapLength = 0;
  u32 mapEntryBits = 0;
  std::size_t mapOffset = 0;   // where the colour map starts in the file
  std::size_t dataOffset = 0;  // where the pixels start in the file
};

// The first 18 bytes, the identifier and colour map sizes; false with error for
// any other image type or layout.
bool readTgaHeader(const u8* pData, std::size_t size, TgaHeader& header, std::string& error);

// The fewest bytes after the header, identifier and colour map that can hold the
// image (every packet as long as possible when compressed): a shorter file is
// refused before any allocation.
std::size_t minimumTgaPixelBytes(const TgaHeader& header);

// Decodes width x height pixels (bitsPerPixel / 8 bytes each) into pPixels, rows
// of rowPixels pixels (rowPixels >= width). False with error when the file ends
// early or a colour index is outside the map; a run-length packet that passes the
// image's last pixel is a fatal check.
bool readTgaPixels(const u8* pData, std::size_t size, const TgaHeader& header, u8* pPixels, u32 rowPixels,
                   std::string& error);
inline bool readTgaPixels(const u8* pData, std::size_t size, const TgaHeader& header, u8* pPixels,
                          std::string& error) {
  return readTgaPixels(pData, size, header, pPixels, header.width, error);
}

}  // namespace image
