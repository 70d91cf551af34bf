// Image fixture builders.
#include "support/image_fixtures.h"

#include <random>

namespace fixture {
namespace {

void put16(std::string& out, u32 value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, u32 value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
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
  put16(out, width);
  put16(out, height);
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
  std::string out;
  out += '\x02';
  out += '\x02';
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
  out += static_cast<char>(idLength);
  out += static_cast<char>(mapType);
  out += static_cast<char>(imageType);
  put16(out, mapFirst);
  put16(out, mapLength);
  out += static_cast<char>(mapEntryBits);
  put16(out, 0);
  put16(out, 0);
  put16(out, width);
  put16(out, height);
  out += static_cast<char>(pixelBits);
  out += '\0';
  out += std::string(idLength, 'I');
  return out;
}

std::string bmp(const BmpSpec& spec) {
  const u32 entryBytes = spec.headerSize == 12 ? 3 : 4;
  std::string info;
  put32(info, spec.headerSize);
  if (spec.headerSize == 12) {
    put16(info, static_cast<u32>(spec.width));
    put16(info, static_cast<u32>(spec.height));
    put16(info, 1);
    put16(info, spec.bits);
  } else {
    put32(info, static_cast<u32>(spec.width));
    put32(info, static_cast<u32>(spec.height));
    put16(info, 1);
    put16(info, spec.bits);
    put32(info, spec.compression);
    put32(info, static_cast<u32>(spec.pixels.size()));
    put32(info, 2835);
    put32(info, 2835);
    put32(info, static_cast<u32>(spec.palette.size()));
    put32(info, 0);
    if (spec.headerSize > 40) {
      for (u32 mask : spec.masks) put32(info, mask);
    }
    info.resize(spec.headerSize, '\0');
    if (spec.headerSize == 40) {
      for (u32 mask : spec.masks) put32(info, mask);
    }
  }
  std::string palette;
  for (const Rgba& entry : spec.palette) {
    palette += static_cast<char>(entry[2]);
    palette += static_cast<char>(entry[1]);
    palette += static_cast<char>(entry[0]);
    if (entryBytes == 4) palette += '\0';
  }
  const u32 offset = 14 + static_cast<u32>(info.size() + palette.size());
  std::string out = "BM";
  put32(out, offset + static_cast<u32>(spec.pixels.size()));
  put32(out, 0);
  put32(out, offset);
  return out + info + palette + spec.pixels;
}

std::string dds(const DdsSpec& spec) {
  std::string out = "DDS ";
  put32(out, 124);
  put32(out, spec.flags);
  put32(out, spec.height);
  put32(out, spec.width);
  put32(out, 0);
  put32(out, spec.depth);
  put32(out, spec.mipCount);
  out.resize(76, '\0');
  put32(out, 32);
  put32(out, spec.pixelFlags);
  put32(out, spec.dx10 ? kFourCcDx10 : spec.fourCc);
  put32(out, spec.rgbBits);
  for (u32 mask : spec.masks) put32(out, mask);
  put32(out, 0x401008);
  put32(out, spec.caps2);
  out.resize(128, '\0');
  if (spec.dx10) {
    put32(out, spec.dxgiFormat);
    put32(out, spec.dimension);
    put32(out, spec.miscFlag);
    put32(out, spec.arraySize);
    put32(out, 0);
  }
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
