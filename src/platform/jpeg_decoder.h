// Our JPEG reader: libjpeg-turbo's decoder behind our own picture type, with the
// size refused before any pixel is allocated. Baseline, progressive, greyscale and
// CMYK files. Plain code, any thread.
// Does not: pad, key or upload the picture; check sizes against a texture limit.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "framework/types.h"

namespace platform {

struct JpegPicture {
  u32 width = 0;
  u32 height = 0;
  std::vector<u8> rgb;  // width * height * 3, red first, top row first
};

// Reads the size from the frame header only: false with error when the data is
// not a JPEG the decoder reads. Cheap, so callers can refuse a size before decoding.
bool readJpegSize(const u8* pData, std::size_t size, u32& width, u32& height, std::string& error);

// Decodes the whole picture. A file that ends early is shown as far as it goes,
// the rest filled as viewers fill it; a damaged one gives false with the decoder's
// reason in error.
bool decodeJpeg(const u8* pData, std::size_t size, JpegPicture& picture, std::string& error);

}  // namespace platform
