// BMP headers, palettes, run-length data and colour masks, read over bytes in memory.
#include "platform/bmp_decoder.h"

#include <climits>

namespace platform {
namespace {

constexpr u32 kRgb = 0;
constexpr u32 kRunLength8 = 1;
constexpr u32 kRunLength4 = 2;
constexpr u32 kBitFields = 3;
constexpr u32 kAlphaBitFields = 6;

u32 le(const u8* p, int bytes) {
  u32 value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

std::string at(std::size_t offset) { return "offset " + std::to_string(offset) + ": "; }

struct Layout {
  u32 headerSize = 0;
  u32 width = 0;
  u32 height = 0;
  bool topDown = false;
  u32 bits = 0;
  u32 compression = kRgb;
  u32 pixelOffset = 0;
  std::size_t paletteOffset = 0;
  u32 paletteEntryBytes = 4;
  u32 paletteCount = 0;
  u32 masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  bool alphaFromMask = false;
};

// One colour channel under its mask, widened to 8 bits by repeating its bits (a
// 5-bit 31 becomes 255); wider channels keep their top 8 bits.
struct Channel {
  u32 mask = 0;
  u32 shift = 0;
  u32 bits = 0;
  explicit Channel(u32 value) : mask(value) {
    if (!mask) return;
    while (!((mask >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((mask >> (shift + bits)) & 1)) ++bits;
  }
  u8 operator()(u32 pixel) const {
    if (!bits) return 0;
    u32 value = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<u8>(value >> (bits - 8));
    u32 out = 0;
    u32 filled = 0;
    while (filled < 8) {
      out = out << bits | value;
      filled += bits;
    }
    return static_cast<u8>(out >> (filled - 8));
  }
};

bool readLayout(const u8* pData, std::size_t size, Layout& layout, std::string& error) {
  if (!pData || size < 26 || pData[0] != 'B' || pData[1] != 'M') {
    error = "not a BMP picture";
    return false;
  }
  layout.pixelOffset = le(pData + 10, 4);
  layout.headerSize = le(pData + 14, 4);
  const u32 hsz = layout.headerSize;
  s64 width = 0;
  s64 height = 0;
  if (hsz == 12) {
    // OS/2 1.x: 16-bit sides, palette entries of three bytes.
    width = le(pData + 18, 2);
    height = le(pData + 20, 2);
    layout.bits = le(pData + 24, 2);
    layout.paletteEntryBytes = 3;
  } else if (hsz >= 16 && hsz <= 124) {
    if (size < 14u + hsz) {
      error = at(14) + "the file ends inside the " + std::to_string(hsz) + "-byte info header";
      return false;
    }
    width = static_cast<s32>(le(pData + 18, 4));
    height = static_cast<s32>(le(pData + 22, 4));
    layout.bits = le(pData + 28, 2);
    layout.compression = hsz >= 20 ? le(pData + 30, 4) : kRgb;
    const bool os2Version2 = hsz != 40 && hsz != 52 && hsz != 56 && hsz != 108 && hsz != 124;
    if (os2Version2 && layout.compression != kRgb && layout.compression != kRunLength8 &&
        layout.compression != kRunLength4) {
      error = at(30) + "OS/2 compression " + std::to_string(layout.compression) + " is not read";
      return false;
    }
    layout.paletteCount = hsz >= 36 ? le(pData + 46, 4) : 0;
  } else {
    error = at(14) + "info header size " + std::to_string(hsz) + " is not a BMP header this decoder reads";
    return false;
  }
  layout.paletteOffset = 14 + static_cast<std::size_t>(hsz);
  const u32 bits = layout.bits;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    error = at(hsz == 12 ? 24 : 28) + std::to_string(bits) + " bits per pixel; 1, 4, 8, 16, 24 and 32 are read";
    return false;
  }
  const u32 c = layout.compression;
  const bool fits = c == kRgb || (c == kRunLength8 && bits == 8) || (c == kRunLength4 && bits == 4) ||
                    ((c == kBitFields || c == kAlphaBitFields) && (bits == 16 || bits == 32));
  if (!fits) {
    error = at(30) + "compression " + std::to_string(c) + " with " + std::to_string(bits) +
            " bits per pixel is not read";
    return false;
  }
  if (width <= 0 || height == 0 || height == INT_MIN) {
    error = at(18) + "picture size " + std::to_string(width) + " x " + std::to_string(height) + " is not a picture";
    return false;
  }
  layout.topDown = height < 0;
  layout.width = static_cast<u32>(width);
  layout.height = static_cast<u32>(height < 0 ? -height : height);

  if (c == kBitFields || c == kAlphaBitFields) {
    // The masks are part of the larger headers, or follow the 40-byte one.
    const std::size_t masksAt = 54;
    const u32 maskCount = c == kAlphaBitFields || hsz >= 56 ? 4 : 3;
    if (size < masksAt + 4 * maskCount) {
      error = at(masksAt) + "the file ends inside the colour masks";
      return false;
    }
    for (u32 i = 0; i < maskCount; ++i) layout.masks[i] = le(pData + masksAt + 4 * i, 4);
    if (hsz == 40) layout.paletteOffset += 4 * maskCount;
    layout.alphaFromMask = maskCount == 4 && layout.masks[3] != 0;
  } else if (bits == 16) {
    layout.masks[0] = 0x7C00;
    layout.masks[1] = 0x03E0;
    layout.masks[2] = 0x001F;
  } else if (bits == 32) {
    layout.masks[0] = 0xFF0000;
    layout.masks[1] = 0xFF00;
    layout.masks[2] = 0xFF;
  }

  if (bits <= 8) {
    const u32 most = 1u << bits;
    if (layout.paletteCount == 0 || layout.paletteCount > most) layout.paletteCount = most;
    // Writers that leave some entries out say so only by where the pixels start.
    if (layout.pixelOffset > layout.paletteOffset) {
      const std::size_t room = (layout.pixelOffset - layout.paletteOffset) / layout.paletteEntryBytes;
      if (room < layout.paletteCount) layout.paletteCount = static_cast<u32>(room);
    }
    if (layout.paletteCount == 0 ||
        layout.paletteOffset + static_cast<std::size_t>(layout.paletteCount) * layout.paletteEntryBytes > size) {
      error = at(layout.paletteOffset) + "the palette is missing or runs past the end of the file";
      return false;
    }
  }
  if (layout.pixelOffset >= size) {
    error = at(10) + "the pixel data starts at " + std::to_string(layout.pixelOffset) + ", past the file's " +
            std::to_string(size) + " bytes";
    return false;
  }
  return true;
}

// Run-length data into one palette index a pixel (index 0 where nothing is
// drawn). Bottom-up rows unless topDown; pixels past a row's end are dropped.
bool decodeRunLength(const u8* pData, std::size_t size, const Layout& layout, std::vector<u8>& indices,
                     std::string& error) {
  const bool fourBits = layout.compression == kRunLength4;
  std::size_t p = layout.pixelOffset;
  u32 x = 0;
  u32 row = 0;  // in file order
  auto put = [&](u8 index) {
    if (x < layout.width && row < layout.height) {
      const u32 y = layout.topDown ? row : layout.height - 1 - row;
      indices[static_cast<std::size_t>(y) * layout.width + x] = index;
    }
    ++x;
  };
  while (row < layout.height) {
    if (p + 2 > size) {
      error = at(p) + "the run-length data ends before its end-of-picture mark";
      return false;
    }
    const u32 count = pData[p];
    const u8 value = pData[p + 1];
    p += 2;
    if (count > 0) {
      for (u32 i = 0; i < count; ++i) put(fourBits ? static_cast<u8>(i % 2 ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++row;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (p + 2 > size) {
        error = at(p) + "the file ends inside a run-length move";
        return false;
      }
      x += pData[p];
      row += pData[p + 1];
      p += 2;
    } else {
      const std::size_t bytes = fourBits ? (value + 1u) / 2 : value;
      const std::size_t padded = (bytes + 1) / 2 * 2;
      if (p + bytes > size) {
        error = at(p) + "the file ends inside " + std::to_string(value) + " literal pixels";
        return false;
      }
      for (u32 i = 0; i < value; ++i) {
        put(fourBits ? static_cast<u8>(i % 2 ? pData[p + i / 2] & 15 : pData[p + i / 2] >> 4) : pData[p + i]);
      }
      p += padded < size - p ? padded : size - p;
    }
  }
  return true;  // rows filled; an end mark after them is not needed
}

}  // namespace

bool readBmpSize(const u8* pData, std::size_t size, u32& width, u32& height, std::string& error) {
  Layout layout;
  if (!readLayout(pData, size, layout, error)) return false;
  width = layout.width;
  height = layout.height;
  return true;
}

bool decodeBmp(const u8* pData, std::size_t size, BmpPicture& picture, std::string& error) {
  picture = BmpPicture{};
  Layout layout;
  if (!readLayout(pData, size, layout, error)) return false;
  const u32 width = layout.width;
  const u32 height = layout.height;
  const u32 bits = layout.bits;
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  const bool runLength = layout.compression == kRunLength8 || layout.compression == kRunLength4;
  const u64 stride = (static_cast<u64>(width) * bits + 31) / 32 * 4;
  if (runLength) {
    // Moves and the end-of-picture mark leave pixels undrawn for a few bytes, so
    // the data alone does not bound the picture; real run-length files stay far
    // below 1024 pixels a byte, and a tiny file claiming a huge picture is refused
    // before anything that size is allocated.
    const u64 dataBytes = size - layout.pixelOffset;
    if (static_cast<u64>(pixels) > dataBytes * 1024) {
      error = "the run-length data (" + std::to_string(dataBytes) + " bytes) is too short for a " +
              std::to_string(width) + " x " + std::to_string(height) + " picture";
      return false;
    }
  } else {
    // A cut-off file is refused whole rather than shown with black rows.
    const u64 needed = layout.pixelOffset + stride * height;
    if (needed > size) {
      error = "the BMP needs " + std::to_string(needed) + " bytes but the file has " + std::to_string(size);
      return false;
    }
  }

  u8 palette[256][3] = {};
  for (u32 i = 0; i < layout.paletteCount && bits <= 8; ++i) {
    const u8* pEntry = pData + layout.paletteOffset + static_cast<std::size_t>(i) * layout.paletteEntryBytes;
    palette[i][0] = pEntry[2];
    palette[i][1] = pEntry[1];
    palette[i][2] = pEntry[0];
  }
  picture.width = width;
  picture.height = height;
  picture.rgb.assign(pixels * 3, 0);
  if (runLength) {
    std::vector<u8> indices(pixels, 0);
    if (!decodeRunLength(pData, size, layout, indices, error)) {
      picture = BmpPicture{};
      return false;
    }
    for (std::size_t i = 0; i < pixels; ++i) {
      const u8* pColour = palette[indices[i]];
      picture.rgb[i * 3] = pColour[0];
      picture.rgb[i * 3 + 1] = pColour[1];
      picture.rgb[i * 3 + 2] = pColour[2];
    }
    return true;
  }

  const Channel red(layout.masks[0]);
  const Channel green(layout.masks[1]);
  const Channel blue(layout.masks[2]);
  const Channel alphaChannel(layout.masks[3]);
  if (bits == 32) picture.alpha.assign(pixels, 255);
  for (u32 y = 0; y < height; ++y) {
    const u32 fileRow = layout.topDown ? y : height - 1 - y;
    const u8* pRow = pData + layout.pixelOffset + fileRow * stride;
    u8* pOut = picture.rgb.data() + static_cast<std::size_t>(y) * width * 3;
    for (u32 x = 0; x < width; ++x, pOut += 3) {
      if (bits <= 8) {
        const u32 bitOffset = x * bits;
        const u32 index = (pRow[bitOffset / 8] >> (8 - bits - bitOffset % 8)) & ((1u << bits) - 1);
        pOut[0] = palette[index][0];
        pOut[1] = palette[index][1];
        pOut[2] = palette[index][2];
      } else if (bits == 24) {
        pOut[0] = pRow[x * 3 + 2];
        pOut[1] = pRow[x * 3 + 1];
        pOut[2] = pRow[x * 3];
      } else {
        const u32 value = bits == 16 ? le(pRow + x * 2, 2) : le(pRow + x * 4, 4);
        pOut[0] = red(value);
        pOut[1] = green(value);
        pOut[2] = blue(value);
        // Without an alpha mask the fourth byte is the alpha, as it always was here.
        if (bits == 32) {
          picture.alpha[static_cast<std::size_t>(y) * width + x] =
              layout.alphaFromMask ? alphaChannel(value) : pRow[x * 4 + 3];
        }
      }
    }
  }
  return true;
}

}  // namespace platform
