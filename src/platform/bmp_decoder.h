// Our BMP decoder: OS/2 and Windows headers of every size (12 to 124 bytes),
// 1/4/8-bit palettes, run-length 4 and 8 bit, 16/24/32-bit with or without
// colour masks (the alpha mask included). Plain code, any thread.
// Does not: pad, key or upload the picture; check sizes against a texture limit.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "framework/types.h"

namespace platform {

struct BmpPicture {
  u32 width = 0;
  u32 height = 0;
  std::vector<u8> rgb;    // width * height * 3, red first, top row first
  std::vector<u8> alpha;  // width * height for a 32-bit picture, else empty
};

// Reads the size from the headers only: false with error when they are not a BMP
// this decoder reads. Cheap, so callers can refuse a size before decoding.
bool readBmpSize(const u8* pData, std::size_t size, u32& width, u32& height, std::string& error);

// Decodes the whole picture; false with error (naming the offset) for a header it
// does not read, or pixel data that the file does not hold.
bool decodeBmp(const u8* pData, std::size_t size, BmpPicture& picture, std::string& error);

}  // namespace platform
