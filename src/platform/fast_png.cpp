// PNG encoding for captures: the Up filter, then libdeflate's fastest level for the
// zlib stream and its CRC-32 for the chunks.
#include "platform/fast_png.h"

#include <libdeflate.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {

namespace {

// PNG's numbers (lengths, sizes, checksums) are big-endian.
void store32(u8* pOut, u32 value) {
  for (int i = 0; i < 4; ++i) pOut[i] = static_cast<u8>(value >> (24 - 8 * i));
}

void put32(std::vector<u8>& out, u32 value) {
  out.resize(out.size() + 4);
  store32(out.data() + out.size() - 4, value);
}

void putChunk(std::vector<u8>& out, const char* type, const u8* pData, std::size_t size) {
  put32(out, static_cast<u32>(size));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  if (size) out.insert(out.end(), pData, pData + size);
  put32(out, libdeflate_crc32(0, out.data() + typeAt, size + 4));
}

struct CompressorFreer {
  void operator()(libdeflate_compressor* pCompressor) const { libdeflate_free_compressor(pCompressor); }
};

// A buffer that grows to the largest size asked of it and is never cleared.
class Scratch {
 public:
  u8* reserve(std::size_t size) {
    if (size > mSize) {
      mpData.reset(new u8[size]);
      mSize = size;
    }
    return mpData.get();
  }

 private:
  std::unique_ptr<u8[]> mpData;
  std::size_t mSize = 0;
};

}  // namespace

bool writeFastPngFile(const std::string& path, int width, int height, const u8* bgra) {
  if (width <= 0 || height <= 0 || !bgra || width > (1 << 20) || height > (1 << 20)) {
    return false;
  }
  // Each row: the "Up" filter byte, then its RGB bytes minus those of the row above
  // (the first row is taken as is). Up suits rendered pictures; the difference is
  // taken a whole BGRA pixel at a time, byte by byte without borrows, and narrowed.
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  const std::size_t rowsSize = (rowBytes + 1) * static_cast<std::size_t>(height);
  // A writer thread keeps its frame-sized buffers from file to file, and never
  // clears them: fresh or zeroed ones would cost a few megabytes of writes each time.
  thread_local Scratch rows;
  thread_local Scratch file;
  u8* pRows = rows.reserve(rowsSize);
  constexpr u32 kHigh = 0x80808080u;
  for (int row = 0; row < height; ++row) {
    const u8* pSource = bgra + stride * static_cast<std::size_t>(height - 1 - row);
    u8* pOut = pRows + (rowBytes + 1) * static_cast<std::size_t>(row);
    *pOut++ = 2;  // Up
    const u8* pAbove = row > 0 ? pSource + stride : nullptr;
    for (int x = 0; x < width; ++x, pSource += 4, pOut += 3) {
      u32 pixel = 0;
      std::memcpy(&pixel, pSource, 4);
      if (pAbove) {
        u32 above = 0;
        std::memcpy(&above, pAbove, 4);
        pAbove += 4;
        pixel = ((pixel | kHigh) - (above & ~kHigh)) ^ ((pixel ^ ~above) & kHigh);
      }
      // Bytes B, G, R, A in memory whatever the machine's byte order.
      u8 bytes[4];
      std::memcpy(bytes, &pixel, 4);
      pOut[0] = bytes[2];
      pOut[1] = bytes[1];
      pOut[2] = bytes[0];
    }
  }

  // The file is built in one buffer: signature and header chunk, then the data
  // chunk packed in place behind its length and type, its CRC, and the end chunk.
  std::vector<u8> head;
  static const u8 kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  head.insert(head.end(), kSignature, kSignature + 8);
  std::vector<u8> header;
  put32(header, static_cast<u32>(width));
  put32(header, static_cast<u32>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter set 0, no interlace
  putChunk(head, "IHDR", header.data(), header.size());
  std::vector<u8> tail;
  putChunk(tail, "IEND", nullptr, 0);
  // The data chunk holds a zlib stream. Level 1 is libdeflate's fastest; the
  // same rows always give the same bytes.
  thread_local const std::unique_ptr<libdeflate_compressor, CompressorFreer> pCompressor(libdeflate_alloc_compressor(1));
  if (!pCompressor) {
    return false;
  }
  const std::size_t bound = libdeflate_zlib_compress_bound(pCompressor.get(), rowsSize);
  u8* pFile = file.reserve(head.size() + 8 + bound + 4 + tail.size());
  std::memcpy(pFile, head.data(), head.size());
  u8* pChunk = pFile + head.size();
  std::memcpy(pChunk + 4, "IDAT", 4);
  const std::size_t packedSize = libdeflate_zlib_compress(pCompressor.get(), pRows, rowsSize, pChunk + 8, bound);
  if (packedSize == 0) {
    return false;
  }
  if (packedSize > 0x7FFFFFFFu) {
    return false;
  }
  store32(pChunk, static_cast<u32>(packedSize));
  const u32 crc = libdeflate_crc32(0, pChunk + 4, packedSize + 4);
  u8* pEnd = pChunk + 8 + packedSize;
  store32(pEnd, crc);
  pEnd += 4;
  std::memcpy(pEnd, tail.data(), tail.size());
  const std::size_t fileSize = static_cast<std::size_t>(pEnd - pFile) + tail.size();

  std::FILE* pStream = std::fopen(path.c_str(), "wb");
  if (!pStream) {
    return false;
  }
  const bool written = std::fwrite(pFile, 1, fileSize, pStream) == fileSize;
  return std::fclose(pStream) == 0 && written;
}

}  // namespace platform
