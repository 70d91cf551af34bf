// TGA reading over bytes in memory.
#include "resource/tga_reader.h"

#include <cstring>
#include <vector>

#include "framework/critical_check.h"
#include "resource/byte_reader.h"

namespace image {
namespace {

u32 u16At(const u8* p) { return static_cast<u32>(p[0]) | static_cast<u32>(p[1]) << 8; }

std::string at(std::size_t offset) { return "offset " + std::to_string(offset) + ": "; }

// One true-colour value of 15, 16, 24 or 32 bits (as stored, blue first) to RGBA.
void trueColour(const u8* p, u32 bits, u8* pOut) {
  if (bits == 15 || bits == 16) {
    const u32 value = u16At(p);
    const u32 red = (value >> 10) & 31;
    const u32 green = (value >> 5) & 31;
    const u32 blue = value & 31;
    pOut[0] = static_cast<u8>(red << 3 | red >> 2);
    pOut[1] = static_cast<u8>(green << 3 | green >> 2);
    pOut[2] = static_cast<u8>(blue << 3 | blue >> 2);
    pOut[3] = 255;
    return;
  }
  pOut[0] = p[2];
  pOut[1] = p[1];
  pOut[2] = p[0];
  pOut[3] = bits == 32 ? p[3] : 255;
}

}  // namespace

bool readTgaHeader(const u8* pData, std::size_t size, TgaHeader& header, std::string& error) {
  header = TgaHeader{};
  if (!pData || size < kTgaHeaderSize) {
    error = "the file has " + std::to_string(size) + " bytes, fewer than a TGA header's 18";
    return false;
  }
  const u32 idLength = pData[0];
  const u32 mapType = pData[1];
  header.imageType = pData[2];
  header.mapFirst = u16At(pData + 3);
  header.mapLength = u16At(pData + 5);
  header.mapEntryBits = pData[7];
  header.width = u16At(pData + 12);
  header.height = u16At(pData + 14);
  header.pixelBits = pData[16];
  header.compressed = header.imageType >= 9;
  const u32 baseType = header.imageType & 7;
  if (header.imageType != 1 && header.imageType != 2 && header.imageType != 3 && header.imageType != 9 &&
      header.imageType != 10 && header.imageType != 11) {
    error = at(2) + "image type " + std::to_string(header.imageType) +
            " is not colour-mapped, true-colour or grayscale (1, 2, 3, 9, 10, 11)";
    return false;
  }
  if (mapType > 1 || (baseType == 1 && mapType != 1)) {
    error = at(1) + "colour map type " + std::to_string(mapType) + " does not fit image type " +
            std::to_string(header.imageType);
    return false;
  }
  if (mapType == 1 && header.mapEntryBits != 15 && header.mapEntryBits != 16 && header.mapEntryBits != 24 &&
      header.mapEntryBits != 32) {
    error = at(7) + std::to_string(header.mapEntryBits) + " bits per colour map entry; 15, 16, 24 and 32 are read";
    return false;
  }
  if (baseType == 1 && header.mapLength == 0) {
    error = at(5) + "the colour map is empty";
    return false;
  }
  if (header.width == 0 || header.height == 0) {
    error = at(12) + "the image size is 0";
    return false;
  }
  const u32 bits = header.pixelBits;
  if (baseType == 1) {
    if (bits != 8 && bits != 16) {
      error = at(16) + std::to_string(bits) + " bits per colour index; 8 and 16 are read";
      return false;
    }
    header.bitsPerPixel = header.mapEntryBits == 32 ? 32 : 24;
  } else if (baseType == 2) {
    if (bits != 15 && bits != 16 && bits != 24 && bits != 32) {
      error = at(16) + std::to_string(bits) + " bits per pixel; 15, 16, 24 and 32 are read";
      return false;
    }
    header.bitsPerPixel = bits == 32 ? 32 : 24;
  } else {
    if (bits != 8 && bits != 16) {
      error = at(16) + std::to_string(bits) + " bits per grayscale pixel; 8 and 16 (with alpha) are read";
      return false;
    }
    header.bitsPerPixel = bits == 16 ? 32 : 24;
  }
  header.mapOffset = kTgaHeaderSize + idLength;
  const std::size_t mapBytes =
      mapType == 1 ? static_cast<std::size_t>(header.mapLength) * ((header.mapEntryBits + 7) / 8) : 0;
  header.dataOffset = header.mapOffset + mapBytes;
  if (header.dataOffset > size) {
    error = at(header.mapOffset) + "the file ends inside the identifier or colour map (" +
            std::to_string(header.dataOffset) + " bytes needed, " + std::to_string(size) + " present)";
    return false;
  }
  return true;
}

std::size_t minimumTgaPixelBytes(const TgaHeader& header) {
  const std::size_t pixels = static_cast<std::size_t>(header.width) * header.height;
  const std::size_t bytesPerPixel = (header.pixelBits + 7) / 8;
  if (!header.compressed) return pixels * bytesPerPixel;
  return (pixels + 127) / 128 * (1 + bytesPerPixel);
}

bool readTgaPixels(const u8* pData, std::size_t size, const TgaHeader& header, u8* pPixels, u32 rowPixels,
                   std::string& error) {
  const u32 outBytes = header.bitsPerPixel / 8;
  const u32 fileBytes = (header.pixelBits + 7) / 8;
  const u32 pixelcount = header.width * header.height;
  const u32 baseType = header.imageType & 7;
  if (header.dataOffset > size || rowPixels < header.width) {
    error = "the header does not fit the file";
    return false;
  }

  // The colour map turned into RGBA once, so a lookup is a copy.
  std::vector<u8> palette;
  if (baseType == 1) {
    const u32 entryBytes = (header.mapEntryBits + 7) / 8;
    palette.resize(static_cast<std::size_t>(header.mapLength) * 4);
    for (u32 i = 0; i < header.mapLength; ++i) {
      trueColour(pData + header.mapOffset + static_cast<std::size_t>(i) * entryBytes, header.mapEntryBits,
                 palette.data() + static_cast<std::size_t>(i) * 4);
    }
  }
  ByteReader reader(pData + header.dataOffset, size - header.dataOffset);

  // One file pixel to RGBA; false for a colour index outside the map.
  auto convert = [&](const u8* p, u8* pRgba) {
    if (baseType == 2) {
      trueColour(p, header.pixelBits, pRgba);
    } else if (baseType == 3) {
      pRgba[0] = pRgba[1] = pRgba[2] = p[0];
      pRgba[3] = header.pixelBits == 16 ? p[1] : 255;
    } else {
      const u32 index = header.pixelBits == 16 ? u16At(p) : p[0];
      if (index < header.mapFirst || index - header.mapFirst >= header.mapLength) return false;
      std::memcpy(pRgba, palette.data() + static_cast<std::size_t>(index - header.mapFirst) * 4, 4);
    }
    return true;
  };
  auto badIndex = [&](std::size_t fileOffset, u32 pixel) {
    error = at(fileOffset) + "the colour index of pixel " + std::to_string(pixel) + " is outside the colour map";
    return false;
  };

  u32 currentpixel = 0;
  // Counts the pixel before storing it, so the check also stops the one store
  // that would land just past the image.
  auto store = [&](const u8* pRgba) {
    ++currentpixel;
    CRITICAL_CHECK(currentpixel<=pixelcount, "");
    const u32 index = currentpixel - 1;
    u8* pTarget =
        pPixels + (static_cast<std::size_t>(index / header.width) * rowPixels + index % header.width) * outBytes;
    std::memcpy(pTarget, pRgba, outBytes);
  };
  u8 rgba[4];
  if (!header.compressed) {
    const std::size_t bytes = static_cast<std::size_t>(pixelcount) * fileBytes;
    if (reader.remaining() < bytes) {
      error = at(header.dataOffset + reader.remaining()) + "the file holds " + std::to_string(reader.remaining()) +
              " of the " + std::to_string(bytes) + " pixel bytes";
      return false;
    }
    while (currentpixel < pixelcount) {
      if (!convert(reader.current(), rgba)) return badIndex(header.dataOffset + reader.offset(), currentpixel);
      store(rgba);
      reader.skip(fileBytes);
    }
    return true;
  }

  while (currentpixel < pixelcount) {
    u8 packet = 0;
    if (!reader.readByte(packet)) {
      error = at(header.dataOffset + reader.offset()) + "the file ends after " + std::to_string(currentpixel) +
              " of " + std::to_string(pixelcount) + " pixels";
      return false;
    }
    if (packet < 128) {
      const u32 count = packet + 1u;
      if (static_cast<std::size_t>(count) * fileBytes > reader.remaining()) {
        error = at(header.dataOffset + reader.offset()) + "the file ends inside a raw packet at pixel " +
                std::to_string(currentpixel);
        return false;
      }
      for (u32 i = 0; i < count; ++i) {
        if (!convert(reader.current(), rgba)) return badIndex(header.dataOffset + reader.offset(), currentpixel);
        store(rgba);
        reader.skip(fileBytes);
      }
    } else {
      if (fileBytes > reader.remaining()) {
        error = at(header.dataOffset + reader.offset()) + "the file ends inside a run packet at pixel " +
                std::to_string(currentpixel);
        return false;
      }
      if (!convert(reader.current(), rgba)) return badIndex(header.dataOffset + reader.offset(), currentpixel);
      reader.skip(fileBytes);
      for (u32 i = 0; i < packet - 127u; ++i) store(rgba);
    }
  }
  return true;
}

}  // namespace image
