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

std::string whereAt(u32 scanline, std::size_t offset) {
  return "scanline " + std::to_string(scanline) + " at offset " + std::to_string(offset) + ": ";
}

// The fewest bytes any scanline of n pixels takes: flat, one pixel and the repeat
// markers that copy it (each marker reaching 256 times further), or run-length
// planes of runs of 127.
std::size_t minimumScanlineBytes(u32 n) {
  std::size_t flat = 4;
  u64 reach = 0;
  for (u32 shift = 0; reach + 1 < n; shift += 8) {
    reach += u64{255} << shift;
    flat += 4;
  }
  if (n < 8 || n > 32767) return flat;
  const std::size_t runLength = 4 + 4 * 2 * ((static_cast<std::size_t>(n) + 126) / 127);
  return runLength < flat ? runLength : flat;
}

// The sign written just before an axis letter; the standard one when none is.
char signBefore(const char* pLine, std::size_t at, char standard) {
  if (at > 0 && (pLine[at - 1] == '+' || pLine[at - 1] == '-')) return pLine[at - 1];
  return standard;
}

// Flat pixels from index `start` to n - 1; a pixel of R = G = B = 1 repeats the one
// before it E << shift times, shift growing by 8 over consecutive markers.
bool readFlat(ByteReader& reader, u8* pLine, u32 start, u32 n, u32 scanline, std::string& error) {
  u32 position = start;
  u32 shift = 0;
  while (position < n) {
    u8 pixel[4];
    if (!reader.read(pixel, 4)) {
      error = whereAt(scanline, reader.offset()) + "the file ends inside a flat scanline";
      return false;
    }
    if (pixel[0] == 1 && pixel[1] == 1 && pixel[2] == 1) {
      if (position == 0) {
        error = whereAt(scanline, reader.offset()) + "a repeat marker has no pixel before it to repeat";
        return false;
      }
      const u64 count = shift < 32 ? (static_cast<u64>(pixel[3]) << shift) : (pixel[3] ? ~u64{0} : 0);
      if (count > n - position) {
        error = whereAt(scanline, reader.offset()) + "a repeat marker runs past the scanline's end";
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
    error = whereAt(scanline, reader.offset()) + "the file ends before the scanline";
    return false;
  }
  if (first != 2) {
    return readFlat(reader, pLine, 0, n, scanline, error);
  }
  u8 head[4];
  if (!reader.read(head, 4)) {
    error = whereAt(scanline, reader.offset()) + "the file ends inside the scanline's first pixel";
    return false;
  }
  if (head[1] != 2 || (head[2] & 0x80) != 0) {
    std::memcpy(pLine, head, 4);
    return readFlat(reader, pLine, 1, n, scanline, error);
  }
  const u32 stored = static_cast<u32>(head[2]) * 256 + head[3];
  if (stored != n) {
    error = whereAt(scanline, reader.offset()) + "its length field says " + std::to_string(stored) + " pixels, not " +
            std::to_string(n);
    return false;
  }
  for (u32 component = 0; component < 4; ++component) {
    u32 position = 0;
    while (position < n) {
      u8 count = 0;
      if (!reader.readByte(count)) {
        error = whereAt(scanline, reader.offset()) + "the file ends inside a run-length plane";
        return false;
      }
      if (count > 128) {
        const u32 run = count - 128u;
        u8 value = 0;
        if (!reader.readByte(value)) {
          error = whereAt(scanline, reader.offset()) + "the file ends inside a run";
          return false;
        }
        if (run > n - position) {
          error = whereAt(scanline, reader.offset()) + "a run passes the scanline's end";
          return false;
        }
        for (u32 i = 0; i < run; ++i) pLine[(position++) * 4 + component] = value;
      } else {
        if (count > n - position) {
          error = whereAt(scanline, reader.offset()) + "a literal run passes the scanline's end";
          return false;
        }
        if (count > reader.remaining()) {
          error = whereAt(scanline, reader.offset()) + "the file ends inside a literal run";
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
  // "RGBE" is what several writers put in place of Radiance's own name, and a
  // missing FORMAT line means the RGBE format the program type already implies.
  if (programType != "RADIANCE" && programType != "RGBE") {
    error = "program type \"" + programType + "\" is not \"RADIANCE\" or \"RGBE\"";
    return false;
  }
  if (!format.empty() && format != "32-bit_rle_rgbe") {
    error = "format \"" + format + "\" is not \"32-bit_rle_rgbe\"";
    return false;
  }
  const std::size_t resolutionOffset = reader.offset();
  if (!reader.readLine(line, sizeof line, length) || isEmptyLine(line, length)) {
    error = "offset " + std::to_string(resolutionOffset) + ": the resolution line is missing";
    return false;
  }
  const std::string resolutionAt = "offset " + std::to_string(resolutionOffset) + ": ";
  const char* pLastX = std::strrchr(line, 'X');
  const char* pLastY = std::strrchr(line, 'Y');
  if (!pLastX || !pLastY) {
    error = resolutionAt + "the resolution line has no X or no Y";
    return false;
  }
  const std::size_t xAt = static_cast<std::size_t>(pLastX - line);
  const std::size_t yAt = static_cast<std::size_t>(pLastY - line);
  header.xSize = numberAfter(line, xAt);
  header.ySize = numberAfter(line, yAt);
  if (header.xSize == 0 || header.ySize == 0) {
    error = resolutionAt + "the resolution line gives a size of 0";
    return false;
  }
  if (header.xSize > kMaxHdrSide || header.ySize > kMaxHdrSide) {
    error = resolutionAt + "the picture is larger than " + std::to_string(kMaxHdrSide) + " pixels a side";
    return false;
  }
  const bool yFirst = yAt < xAt;
  header.columns = !yFirst;
  header.rightToLeft = signBefore(line, xAt, '+') == '-';
  header.bottomToTop = signBefore(line, yAt, '-') == '+';
  header.scanlineLength = yFirst ? header.xSize : header.ySize;
  header.scanlineCount = yFirst ? header.ySize : header.xSize;
  header.dataOffset = reader.offset();
  const u64 needed = static_cast<u64>(header.scanlineCount) * minimumScanlineBytes(header.scanlineLength);
  if (needed > size - header.dataOffset) {
    error = "offset " + std::to_string(header.dataOffset) + ": the file holds " +
            std::to_string(size - header.dataOffset) + " bytes of scanlines, fewer than the " +
            std::to_string(needed) + " that " + std::to_string(header.scanlineCount) + " scanlines of " +
            std::to_string(header.scanlineLength) + " pixels take at the least";
    return false;
  }
  return true;
}

bool readHdrScanlines(const u8* pData, std::size_t size, const HdrHeader& header, u8* pPixels, u32 rowPixels,
                      u32 rowCount, std::string& error) {
  const u32 n = header.scanlineLength;
  if (n == 0 || header.xSize > rowPixels || header.ySize > rowCount ||
      n != (header.columns ? header.ySize : header.xSize) ||
      header.scanlineCount != (header.columns ? header.xSize : header.ySize)) {
    error = std::to_string(header.scanlineCount) + " scanlines of " + std::to_string(n) +
            " pixels do not fit a " + std::to_string(rowPixels) + " x " + std::to_string(rowCount) + " buffer";
    return false;
  }
  ByteReader reader(pData, size);
  if (!reader.skip(header.dataOffset)) {
    error = "the scanline data starts past the end of the file";
    return false;
  }
  std::vector<u8> scanline(static_cast<std::size_t>(n) * 4);
  const bool standard = !header.columns && !header.rightToLeft && !header.bottomToTop;
  for (u32 s = 0; s < header.scanlineCount; ++s) {
    if (!readScanline(reader, scanline.data(), n, s, error)) return false;
    if (standard) {
      std::memcpy(pPixels + static_cast<std::size_t>(s) * rowPixels * 4, scanline.data(), scanline.size());
      continue;
    }
    // The resolution line's axes and signs say where each pixel belongs: rows
    // top first and columns left first, as every other picture is stored.
    for (u32 i = 0; i < n; ++i) {
      u32 x = header.columns ? s : i;
      u32 y = header.columns ? i : s;
      if (header.rightToLeft) x = header.xSize - 1 - x;
      if (header.bottomToTop) y = header.ySize - 1 - y;
      std::memcpy(pPixels + (static_cast<std::size_t>(y) * rowPixels + x) * 4, scanline.data() + i * 4, 4);
    }
  }
  return true;
}

}  // namespace image
