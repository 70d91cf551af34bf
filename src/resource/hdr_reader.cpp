// Radiance RGBE reading over bytes in memory; the rules for header lines follow
// what a stdio line reader with a 512-byte buffer would see.
#include "resource/hdr_reader.h"

#include <cstring>
#include <vector>

#include "resource/byte_reader.h"

namespace image {
namespace {

constexpr std::size_t kLineBuffer = 512;

bool isEmptyLine(const char* pLine, std::size_t length) {
  return length == 0 || (length == 1 && pLine[0] == '\n') ||
         (length == 2 && pLine[0] == '\r' && pLine[1] == '\n');
}

void appendTrimmed(std::string& target, const char* pText) {
  target += pText;
  while (!target.empty() && (target.back() == '\r' || target.back() == '\n')) {
    target.pop_back();
  }
}

// The decimal after position `at`, leading blanks skipped; 0 when there is none.
// Values above the side limit saturate so that they are refused, not wrapped.
u32 numberAfter(const char* pLine, std::size_t at) {
  const char* p = pLine + at + 1;
  while (*p == ' ' || *p == '\t') ++p;
  u64 value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + static_cast<u64>(*p - '0');
    if (value > kMaxHdrSide) value = kMaxHdrSide + 1;
    ++p;
  }
  return static_cast<u32>(value);
}

std::string where(u32 scanline) { return "scanline " + std::to_string(scanline) + ": "; }

// Flat pixels from index `start` to n - 1; a pixel of R = G = B = 1 repeats the one
// before it E << shift times, shift growing by 8 over consecutive markers.
bool readFlat(ByteReader& reader, u8* pLine, u32 start, u32 n, u32 scanline, std::string& error) {
  u32 position = start;
  u32 shift = 0;
  while (position < n) {
    u8 pixel[4];
    if (!reader.read(pixel, 4)) {
      error = where(scanline) + "the file ends inside a flat scanline";
      return false;
    }
    if (pixel[0] == 1 && pixel[1] == 1 && pixel[2] == 1) {
      if (position == 0) {
        error = where(scanline) + "a repeat marker has no pixel before it to repeat";
        return false;
      }
      const u64 count = shift < 32 ? (static_cast<u64>(pixel[3]) << shift) : (pixel[3] ? ~u64{0} : 0);
      if (count > n - position) {
        error = where(scanline) + "a repeat marker runs past the scanline's end";
        return false;
      }
      for (u64 i = 0; i < count; ++i, ++position) {
        std::memcpy(pLine + position * 4, pLine + (position - 1) * 4, 4);
      }
      if (shift < 32) shift += 8;
    } else {
      std::memcpy(pLine + position * 4, pixel, 4);
      ++position;
      shift = 0;
    }
  }
  return true;
}

bool readScanline(ByteReader& reader, u8* pLine, u32 n, u32 scanline, std::string& error) {
  if (n < 8 || n > 32767) {
    return readFlat(reader, pLine, 0, n, scanline, error);
  }
  u8 first = 0;
  if (!reader.peekByte(first)) {
    error = where(scanline) + "the file ends before the scanline";
    return false;
  }
  if (first != 2) {
    return readFlat(reader, pLine, 0, n, scanline, error);
  }
  u8 head[4];
  if (!reader.read(head, 4)) {
    error = where(scanline) + "the file ends inside the scanline's first pixel";
    return false;
  }
  if (head[1] != 2 || (head[2] & 0x80) != 0) {
    std::memcpy(pLine, head, 4);
    return readFlat(reader, pLine, 1, n, scanline, error);
  }
  const u32 stored = static_cast<u32>(head[2]) * 256 + head[3];
  if (stored != n) {
    error = where(scanline) + "its length field says " + std::to_string(stored) + " pixels, not " +
            std::to_string(n);
    return false;
  }
  for (u32 component = 0; component < 4; ++component) {
    u32 position = 0;
    while (position < n) {
      u8 count = 0;
      if (!reader.readByte(count)) {
        error = where(scanline) + "the file ends inside a run-length plane";
        return false;
      }
      if (count > 128) {
        const u32 run = count - 128u;
        u8 value = 0;
        if (!reader.readByte(value)) {
          error = where(scanline) + "the file ends inside a run";
          return false;
        }
        if (run > n - position) {
          error = where(scanline) + "a run passes the scanline's end";
          return false;
        }
        for (u32 i = 0; i < run; ++i) pLine[(position++) * 4 + component] = value;
      } else {
        if (count > n - position) {
          error = where(scanline) + "a literal run passes the scanline's end";
          return false;
        }
        if (count > reader.remaining()) {
          error = where(scanline) + "the file ends inside a literal run";
          return false;
        }
        const u8* pSource = reader.current();
        for (u32 i = 0; i < count; ++i) pLine[(position++) * 4 + component] = pSource[i];
        reader.skip(count);
      }
    }
  }
  return true;
}

}  // namespace

bool readHdrHeader(const u8* pData, std::size_t size, HdrHeader& header, std::string& error) {
  header = HdrHeader{};
  ByteReader reader(pData, size);
  char line[kLineBuffer];
  std::size_t length = 0;
  std::string programType;
  std::string format;
  for (;;) {
    if (!reader.readLine(line, sizeof line, length)) {
      error = "the header has no blank line before the end of the file";
      return false;
    }
    if (length == kLineBuffer - 1 && line[length - 1] != '\n') {
      line[kLineBuffer - 2] = '\0';
      length = kLineBuffer - 2;
    }
    if (isEmptyLine(line, length)) break;
    if (std::strncmp(line, "#?", 2) == 0) {
      appendTrimmed(programType, line + 2);
    } else if (std::strncmp(line, "FORMAT=", 7) == 0) {
      appendTrimmed(format, line + 7);
    }
  }
  if (programType != "RADIANCE") {
    error = "program type \"" + programType + "\" is not \"RADIANCE\"";
    return false;
  }
  if (format != "32-bit_rle_rgbe") {
    error = "format \"" + format + "\" is not \"32-bit_rle_rgbe\"";
    return false;
  }
  if (!reader.readLine(line, sizeof line, length) || isEmptyLine(line, length)) {
    error = "the resolution line is missing";
    return false;
  }
  const char* pLastX = std::strrchr(line, 'X');
  const char* pLastY = std::strrchr(line, 'Y');
  if (!pLastX || !pLastY) {
    error = "the resolution line has no X or no Y";
    return false;
  }
  const std::size_t xAt = static_cast<std::size_t>(pLastX - line);
  const std::size_t yAt = static_cast<std::size_t>(pLastY - line);
  header.xSize = numberAfter(line, xAt);
  header.ySize = numberAfter(line, yAt);
  if (header.xSize == 0 || header.ySize == 0) {
    error = "the resolution line gives a size of 0";
    return false;
  }
  if (header.xSize > kMaxHdrSide || header.ySize > kMaxHdrSide) {
    error = "the picture is larger than " + std::to_string(kMaxHdrSide) + " pixels a side";
    return false;
  }
  const bool yFirst = yAt < xAt;
  header.scanlineLength = yFirst ? header.xSize : header.ySize;
  header.scanlineCount = yFirst ? header.ySize : header.xSize;
  header.dataOffset = reader.offset();
  return true;
}

bool readHdrScanlines(const u8* pData, std::size_t size, const HdrHeader& header, u8* pPixels, u32 rowPixels,
                      u32 rowCount, std::string& error) {
  const u32 n = header.scanlineLength;
  if (n == 0 || n > rowPixels || header.scanlineCount > rowCount) {
    error = std::to_string(header.scanlineCount) + " scanlines of " + std::to_string(n) +
            " pixels do not fit a " + std::to_string(rowPixels) + " x " + std::to_string(rowCount) + " buffer";
    return false;
  }
  if (header.dataOffset > size) {
    error = "the scanline data starts past the end of the file";
    return false;
  }
  ByteReader reader(pData + header.dataOffset, size - header.dataOffset);
  std::vector<u8> scanline(static_cast<std::size_t>(n) * 4);
  for (u32 row = 0; row < header.scanlineCount; ++row) {
    if (!readScanline(reader, scanline.data(), n, row, error)) return false;
    std::memcpy(pPixels + static_cast<std::size_t>(row) * rowPixels * 4, scanline.data(), scanline.size());
  }
  return true;
}

}  // namespace image
