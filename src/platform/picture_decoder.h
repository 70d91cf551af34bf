// BMP, JPEG and PNG decoding for textures and the setup dialog, and JPEG writing
// for fixtures and captures, behind our own types so that only the platform layer
// sees the decoders (our BMP reader, libjpeg-turbo, stb_image).
// Does not: pad, key or upload pictures; the texture resource does that.
#pragma once

#include <string>
#include <vector>

#include "framework/types.h"

namespace platform {

// Larger sides than this are refused before decoding: no card takes such a texture,
// and a forged header must not make us allocate gigabytes.
inline constexpr u32 kMaxPictureSide = 16384;
// And more pixels than this: a picture of 8192 x 8192 takes 256 MiB as RGBA, and a
// small file (run-length BMP, deflated PNG, progressive JPEG) can claim far more
// than it holds.
inline constexpr u64 kMaxPicturePixels = u64{8192} * 8192;

struct DecodedPicture {
  u32 width = 0;
  u32 height = 0;
  std::vector<u8> rgb;    // width * height * 3 bytes, red first, top row first
  std::vector<u8> alpha;  // width * height bytes for a 32-bit BMP or a PNG with alpha; else empty
};

// Decodes a BMP, JPEG or PNG held in memory into 8-bit RGB (and the file's alpha,
// where it has one) at the picture's own size. Anything else, a size above the
// limits or a damaged file: false with a reason in error. Any thread.
bool decodePicture(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error);
// BMP, JPEG and any picture format stb_image knows (PNG included), with the same size limits;
// for tests and tools that read back what the program wrote.
bool decodeAnyPicture(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error);

// Writes 8-bit RGB (top row first) as a baseline JPEG; false when the file cannot be written.
bool writeJpeg(const std::string& path, u32 width, u32 height, const u8* pRgb, int quality);

}  // namespace platform
