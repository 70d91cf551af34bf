// PNG encoding over zlib for captures.
#include "platform/fast_png.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace platform {

namespace {

void put32(std::vector<u8>& out, u32 value) {
  out.push_back(static_cast<u8>(value >> 24));
  out.push_back(static_cast<u8>(value >> 16));
  out.push_back(static_cast<u8>(value >> 8));
  out.push_back(static_cast<u8>(value));
}

void putChunk(std::vector<u8>& out, const char* type, const u8* pData, std::size_t size) {
  put32(out, static_cast<u32>(size));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  if (size) out.insert(out.end(), pData, pData + size);
  const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(size + 4));
  put32(out, static_cast<u32>(crc));
}

}  // namespace

bool writeFastPngFile(const std::string& path, int width, int height, const u8* rgba) {
  if (width <= 0 || height <= 0 || !rgba || width > (1 << 20) || height > (1 << 20)) {
    return false;
  }
  // Each row: the "Up" filter byte, then its RGB bytes minus those of the row above
  // (the first row is taken as is). Up suits rendered pictures and costs one
  // subtraction per byte.
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  std::vector<u8> rows((rowBytes + 1) * static_cast<std::size_t>(height));
  std::vector<u8> previous(rowBytes, 0);
  std::vector<u8> current(rowBytes);
  for (int row = 0; row < height; ++row) {
    const u8* pSource = rgba + stride * static_cast<std::size_t>(height - 1 - row);
    for (int x = 0; x < width; ++x) {
      std::memcpy(&current[static_cast<std::size_t>(x) * 3], pSource + static_cast<std::size_t>(x) * 4, 3);
    }
    u8* pOut = &rows[(rowBytes + 1) * static_cast<std::size_t>(row)];
    pOut[0] = 2;  // Up
    for (std::size_t i = 0; i < rowBytes; ++i) pOut[1 + i] = static_cast<u8>(current[i] - previous[i]);
    previous.swap(current);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
  std::vector<u8> packed(packedSize);
  if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), Z_BEST_SPEED) != Z_OK) {
    return false;
  }

  std::vector<u8> file;
  file.reserve(packedSize + 64);
  static const u8 kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  file.insert(file.end(), kSignature, kSignature + 8);
  std::vector<u8> header;
  put32(header, static_cast<u32>(width));
  put32(header, static_cast<u32>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter set 0, no interlace
  putChunk(file, "IHDR", header.data(), header.size());
  putChunk(file, "IDAT", packed.data(), packedSize);
  putChunk(file, "IEND", nullptr, 0);

  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  if (!pFile) {
    return false;
  }
  const bool written = std::fwrite(file.data(), 1, file.size(), pFile) == file.size();
  return std::fclose(pFile) == 0 && written;
}

}  // namespace platform
