// TGA reading over bytes in memory.
#include "resource/tga_reader.h"

#include <cstring>

#include "framework/critical_check.h"
#include "resource/byte_reader.h"

namespace image {
namespace {

constexpr u8 kUncompressedSignature[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr u8 kCompressedSignature[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

}  // namespace

bool readTgaHeader(const u8* pData, std::size_t size, TgaHeader& header, std::string& error) {
  header = TgaHeader{};
  ByteReader reader(pData, size);
  u8 signature[12];
  if (!reader.read(signature, sizeof signature)) {
    error = "the file is shorter than a TGA header";
    return false;
  }
  if (std::memcmp(signature, kUncompressedSignature, 12) == 0) {
    header.compressed = false;
  } else if (std::memcmp(signature, kCompressedSignature, 12) == 0) {
    header.compressed = true;
  } else {
    error = "not an uncompressed or run-length true-colour TGA without identifier or colour map";
    return false;
  }
  u8 fields[6];
  if (!reader.read(fields, sizeof fields)) {
    error = "the file ends inside the TGA header";
    return false;
  }
  header.width = static_cast<u32>(fields[0]) | static_cast<u32>(fields[1]) << 8;
  header.height = static_cast<u32>(fields[2]) | static_cast<u32>(fields[3]) << 8;
  header.bitsPerPixel = fields[4];
  if (header.width == 0 || header.height == 0) {
    error = "the image size is 0";
    return false;
  }
  if (header.bitsPerPixel != 24 && header.bitsPerPixel != 32) {
    error = std::to_string(header.bitsPerPixel) + " bits per pixel; only 24 and 32 are read";
    return false;
  }
  return true;
}

std::size_t minimumTgaPixelBytes(const TgaHeader& header) {
  const std::size_t pixels = static_cast<std::size_t>(header.width) * header.height;
  const std::size_t bytesPerPixel = header.bitsPerPixel / 8;
  if (!header.compressed) return pixels * bytesPerPixel;
  return (pixels + 127) / 128 * (1 + bytesPerPixel);
}

bool readTgaPixels(const u8* pData, std::size_t size, const TgaHeader& header, u8* pPixels, std::string& error) {
  const u32 bytesPerPixel = header.bitsPerPixel / 8;
  const u32 pixelcount = header.width * header.height;
  ByteReader reader(pData, size);
  if (!reader.skip(kTgaHeaderSize)) {
    error = "the file is shorter than a TGA header";
    return false;
  }
  if (!header.compressed) {
    const std::size_t bytes = static_cast<std::size_t>(pixelcount) * bytesPerPixel;
    if (!reader.read(pPixels, bytes)) {
      error = "the file holds " + std::to_string(reader.remaining()) + " of the " + std::to_string(bytes) +
              " pixel bytes";
      return false;
    }
    for (std::size_t i = 0; i < bytes; i += bytesPerPixel) {
      const u8 blue = pPixels[i];
      pPixels[i] = pPixels[i + 2];
      pPixels[i + 2] = blue;
    }
    return true;
  }

  u32 currentpixel = 0;
  // Counts the pixel before storing it, so the check also stops the one store
  // that would land just past the image.
  auto store = [&](const u8* pFilePixel) {
    ++currentpixel;
    CRITICAL_CHECK(currentpixel<=pixelcount, "");
    u8* pTarget = pPixels + static_cast<std::size_t>(currentpixel - 1) * bytesPerPixel;
    pTarget[0] = pFilePixel[2];
    pTarget[1] = pFilePixel[1];
    pTarget[2] = pFilePixel[0];
    if (bytesPerPixel == 4) pTarget[3] = pFilePixel[3];
  };
  while (currentpixel < pixelcount) {
    u8 packet = 0;
    if (!reader.readByte(packet)) {
      error = "the file ends after " + std::to_string(currentpixel) + " of " + std::to_string(pixelcount) +
              " pixels";
      return false;
    }
    if (packet < 128) {
      const u32 count = packet + 1u;
      if (static_cast<std::size_t>(count) * bytesPerPixel > reader.remaining()) {
        error = "the file ends inside a raw packet at pixel " + std::to_string(currentpixel);
        return false;
      }
      for (u32 i = 0; i < count; ++i) {
        store(reader.current());
        reader.skip(bytesPerPixel);
      }
    } else {
      u8 pixel[4] = {0, 0, 0, 0};
      if (!reader.read(pixel, bytesPerPixel)) {
        error = "the file ends inside a run packet at pixel " + std::to_string(currentpixel);
        return false;
      }
      for (u32 i = 0; i < packet - 127u; ++i) store(pixel);
    }
  }
  return true;
}

}  // namespace image
