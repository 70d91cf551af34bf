// Image fixture builders.
#include "support/image_fixtures.h"

#include <initializer_list>
#include <random>

namespace fixture {
namespace {

// Little-endian fields of 1, 2 or 4 bytes, one after another.
void put(std::string& out, u32 bytes, std::initializer_list<u32> values) {
  for (u32 value : values) {
    for (u32 i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

void putPixel(std::string& out, const Rgba& rgba, u32 bytes) {
  out += static_cast<char>(rgba[2]);
  out += static_cast<char>(rgba[1]);
  out += static_cast<char>(rgba[0]);
  if (bytes == 4) out += static_cast<char>(rgba[3]);
}

}  // namespace

std::string bmp(u32 width, u32 height, u32 bits, const PixelAt& pixel, bool topDown) {
  BmpSpec spec;
  spec.width = static_cast<s32>(width);
  spec.height = topDown ? -static_cast<s32>(height) : static_cast<s32>(height);
  spec.bits = bits;
  const u32 stride = (width * (bits / 8) + 3) / 4 * 4;
  for (u32 row = 0; row < height; ++row) {
    const u32 y = topDown ? row : height - 1 - row;
    std::string line;
    for (u32 x = 0; x < width; ++x) putPixel(line, pixel(x, y), bits / 8);
    line.resize(stride, '\0');
    spec.pixels += line;
  }
  return bmp(spec);
}

std::string tga(u32 width, u32 height, u32 bits, bool runLength, const PixelAt& pixel) {
  const u32 bytesPerPixel = bits / 8;
  std::string out(12, '\0');
  out[2] = runLength ? 10 : 2;
  put(out, 2, {width, height});
  out += static_cast<char>(bits);
  out += static_cast<char>(bits == 32 ? 8 : 0);
  std::vector<Rgba> pixels;
  for (u32 y = 0; y < height; ++y)
    for (u32 x = 0; x < width; ++x) pixels.push_back(pixel(x, y));
  if (!runLength) {
    for (const Rgba& p : pixels) putPixel(out, p, bytesPerPixel);
    return out;
  }
  std::size_t i = 0;
  while (i < pixels.size()) {
    std::size_t run = 1;
    while (i + run < pixels.size() && run < 128 && pixels[i + run] == pixels[i]) ++run;
    if (run >= 2) {
      out += static_cast<char>(127 + run);
      putPixel(out, pixels[i], bytesPerPixel);
      i += run;
      continue;
    }
    std::size_t literal = 1;
    while (i + literal < pixels.size() && literal < 128 &&
           !(i + literal + 1 < pixels.size() && pixels[i + literal] == pixels[i + literal + 1])) {
      ++literal;
    }
    out += static_cast<char>(literal - 1);
    for (std::size_t k = 0; k < literal; ++k) putPixel(out, pixels[i + k], bytesPerPixel);
    i += literal;
  }
  return out;
}

std::string hdrHeader(const std::string& program, const std::string& format, const std::string& resolution) {
  return "#?" + program + "\nFORMAT=" + format + "\n\n" + resolution + "\n";
}

std::string hdrRunLengthScanline(const std::vector<Rgba>& pixels) {
  const std::size_t n = pixels.size();
  std::string out = "\x02\x02";
  out += static_cast<char>((n >> 8) & 0xFF);
  out += static_cast<char>(n & 0xFF);
  for (int c = 0; c < 4; ++c) {
    std::size_t i = 0;
    while (i < n) {
      std::size_t run = 1;
      while (i + run < n && run < 127 && pixels[i + run][c] == pixels[i][c]) ++run;
      if (run >= 3) {
        out += static_cast<char>(128 + run);
        out += static_cast<char>(pixels[i][c]);
        i += run;
        continue;
      }
      std::size_t literal = 0;
      while (i + literal < n && literal < 128) {
        if (i + literal + 2 < n && pixels[i + literal][c] == pixels[i + literal + 1][c] &&
            pixels[i + literal][c] == pixels[i + literal + 2][c]) {
          break;
        }
        ++literal;
      }
      out += static_cast<char>(literal);
      for (std::size_t k = 0; k < literal; ++k) out += static_cast<char>(pixels[i + k][c]);
      i += literal;
    }
  }
  return out;
}

std::string hdrFlatScanline(const std::vector<Rgba>& pixels) {
  std::string out;
  for (const Rgba& p : pixels) out.append(reinterpret_cast<const char*>(p.data()), 4);
  return out;
}

std::string tgaHeader(u32 imageType, u32 mapType, u32 mapFirst, u32 mapLength, u32 mapEntryBits, u32 width,
                      u32 height, u32 pixelBits, u32 idLength) {
  std::string out;
  put(out, 1, {idLength, mapType, imageType});
  put(out, 2, {mapFirst, mapLength});
  put(out, 1, {mapEntryBits});
  put(out, 2, {0, 0, width, height});
  put(out, 1, {pixelBits, 0});
  return out + std::string(idLength, 'I');
}

std::string bmp(const BmpSpec& spec) {
  const u32 entryBytes = spec.headerSize == 12 ? 3 : 4;
  std::string info;
  put(info, 4, {spec.headerSize});
  if (spec.headerSize == 12) {
    put(info, 2, {static_cast<u32>(spec.width), static_cast<u32>(spec.height), 1, spec.bits});
  } else {
    put(info, 4, {static_cast<u32>(spec.width), static_cast<u32>(spec.height)});
    put(info, 2, {1, spec.bits});
    put(info, 4, {spec.compression, static_cast<u32>(spec.pixels.size()), 2835, 2835,
                  static_cast<u32>(spec.palette.size()), 0});
    if (spec.headerSize > 40) {
      for (u32 mask : spec.masks) put(info, 4, {mask});
    }
    info.resize(spec.headerSize, '\0');
    if (spec.headerSize == 40) {
      for (u32 mask : spec.masks) put(info, 4, {mask});
    }
  }
  std::string palette;
  for (const Rgba& entry : spec.palette) putPixel(palette, {entry[0], entry[1], entry[2], 0}, entryBytes);
  const u32 offset = 14 + static_cast<u32>(info.size() + palette.size());
  std::string out = "BM";
  put(out, 4, {offset + static_cast<u32>(spec.pixels.size()), 0, offset});
  return out + info + palette + spec.pixels;
}

std::string dds(const DdsSpec& spec) {
  std::string out = "DDS ";
  put(out, 4, {124, spec.flags, spec.height, spec.width, 0, spec.depth, spec.mipCount});
  out.resize(76, '\0');
  put(out, 4, {32, spec.pixelFlags, spec.dx10 ? kFourCcDx10 : spec.fourCc, spec.rgbBits});
  for (u32 mask : spec.masks) put(out, 4, {mask});
  put(out, 4, {0x401008, spec.caps2});
  out.resize(128, '\0');
  if (spec.dx10) put(out, 4, {spec.dxgiFormat, spec.dimension, spec.miscFlag, spec.arraySize, 0});
  u8 filler = 0;
  for (u32 face = 0; face < spec.faces; ++face) {
    u32 w = spec.width;
    u32 h = spec.height;
    for (u32 level = 0; level < spec.mipCount; ++level) {
      const u32 bytes = spec.compressed ? (w + 3) / 4 * ((h + 3) / 4) * spec.unitBytes : w * h * spec.unitBytes;
      for (u32 i = 0; i < bytes; ++i) out += static_cast<char>(filler++);
      w = w > 1 ? w / 2 : 1;
      h = h > 1 ? h / 2 : 1;
    }
  }
  return out;
}

std::string dds(u32 width, u32 height, u32 mipCount, u32 fourCc, u32 caps2, u32 faces) {
  DdsSpec spec;
  spec.width = width;
  spec.height = height;
  spec.mipCount = mipCount;
  spec.fourCc = fourCc;
  spec.caps2 = caps2;
  spec.faces = faces;
  spec.unitBytes = fourCc == kFourCcDxt5 || fourCc == kFourCcDxt3 ? 16 : 8;
  return dds(spec);
}

std::string randomBytes(std::size_t count, u32 seed) {
  std::mt19937 generator(seed);
  std::string out(count, '\0');
  for (char& c : out) c = static_cast<char>(generator() & 0xFF);
  return out;
}

}  // namespace fixture
