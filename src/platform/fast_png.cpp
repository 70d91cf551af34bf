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

bool writeFastPngFile(const std::string& path, int width, int height, const u8* bgra) {
  if (width <= 0 || height <= 0 || !bgra || width > (1 << 20) || height > (1 << 20)) {
    return false;
  }
  // Each row: the "Up" filter byte, then its RGB bytes minus those of the row above
  // (the first row is taken as is). Up suits rendered pictures and costs one
  // subtraction per byte.
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  // A writer thread keeps its two frame-sized buffers from file to file: fresh
  // ones would cost the zeroing and page faults of a few megabytes each time.
  thread_local std::vector<u8> rows;
  thread_local std::vector<u8> file;
  rows.resize((rowBytes + 1) * static_cast<std::size_t>(height));
  for (int row = 0; row < height; ++row) {
    const u8* pSource = bgra + stride * static_cast<std::size_t>(height - 1 - row);
    const u8* pAbove = row == 0 ? nullptr : pSource + stride;
    u8* pOut = &rows[(rowBytes + 1) * static_cast<std::size_t>(row)];
    *pOut++ = 2;  // Up
    for (int x = 0; x < width; ++x, pSource += 4, pOut += 3) {
      if (pAbove) {
        for (int c = 0; c < 3; ++c) pOut[c] = static_cast<u8>(pSource[2 - c] - pAbove[2 - c]);
        pAbove += 4;
      } else {
        for (int c = 0; c < 3; ++c) pOut[c] = pSource[2 - c];
      }
    }
  }
  libdeflate_compressor* pCompressor = threadCompressor();
  if (!pCompressor) {
    return false;
  }

  // The file is built in one buffer: signature and header chunk, then the data
  // chunk packed in place behind its length and type, then its CRC and the end.
  file.clear();
  static const u8 kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  file.insert(file.end(), kSignature, kSignature + 8);
  std::vector<u8> header;
  put32(header, static_cast<u32>(width));
  put32(header, static_cast<u32>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter set 0, no interlace
  putChunk(file, "IHDR", header.data(), header.size());
  const std::size_t lengthAt = file.size();
  const std::size_t bound = libdeflate_zlib_compress_bound(pCompressor, rows.size());
  file.resize(lengthAt + 8 + bound);
  std::memcpy(&file[lengthAt + 4], "IDAT", 4);
  const std::size_t packedSize =
      libdeflate_zlib_compress(pCompressor, rows.data(), rows.size(), &file[lengthAt + 8], bound);
  if (packedSize == 0 || packedSize > 0x7FFFFFFFu) {
    return false;
  }
  file.resize(lengthAt + 8 + packedSize);
  for (int i = 0; i < 4; ++i) file[lengthAt + i] = static_cast<u8>(packedSize >> (24 - 8 * i));
  put32(file, libdeflate_crc32(0, &file[lengthAt + 4], packedSize + 4));
  putChunk(file, "IEND", nullptr, 0);

  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  if (!pFile) {
    return false;
  }
  const bool written = std::fwrite(file.data(), 1, file.size(), pFile) == file.size();
  return std::fclose(pFile) == 0 && written;
}

}  // namespace platform
