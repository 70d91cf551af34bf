// PNG encoding over libdeflate for captures.
#include "platform/fast_png.h"

#include <libdeflate.h>

#include <cstdio>
#include <cstring>
#include <memory>
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
  put32(out, libdeflate_crc32(0, out.data() + typeAt, size + 4));
}

struct CompressorRelease {
  void operator()(libdeflate_compressor* pCompressor) const { libdeflate_free_compressor(pCompressor); }
};

// libdeflate's level 1 packs a rendered frame about twice as fast as zlib's
// fastest level, and smaller; its output depends only on its input. A compressor
// is not shared between threads, so each writer thread keeps its own.
libdeflate_compressor* threadCompressor() {
  thread_local std::unique_ptr<libdeflate_compressor, CompressorRelease> pCompressor(libdeflate_alloc_compressor(1));
  return pCompressor.get();
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
  for (int row = 0; row < height; ++row) {
    const u8* pSource = rgba + stride * static_cast<std::size_t>(height - 1 - row);
    const u8* pAbove = row == 0 ? nullptr : pSource + stride;
    u8* pOut = &rows[(rowBytes + 1) * static_cast<std::size_t>(row)];
    *pOut++ = 2;  // Up
    for (int x = 0; x < width; ++x, pSource += 4, pOut += 3) {
      if (pAbove) {
        for (int c = 0; c < 3; ++c) pOut[c] = static_cast<u8>(pSource[c] - pAbove[c]);
        pAbove += 4;
      } else {
        std::memcpy(pOut, pSource, 3);
      }
    }
  }
  libdeflate_compressor* pCompressor = threadCompressor();
  if (!pCompressor) {
    return false;
  }
  std::vector<u8> packed(libdeflate_zlib_compress_bound(pCompressor, rows.size()));
  const std::size_t packedSize =
      libdeflate_zlib_compress(pCompressor, rows.data(), rows.size(), packed.data(), packed.size());
  if (packedSize == 0) {
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
