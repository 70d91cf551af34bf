// stb_image (JPEG, PNG) and our BMP reader behind platform::decodePicture, with the
// guards stb_image lacks; stb_image_write behind platform::writeJpeg.
#include "platform/picture_decoder.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/bmp_decoder.h"

namespace platform {
namespace {

// stb_image 2.27 builds a Huffman table without checking that its code counts
// add up to at most 256, and writes past the table when they do. Every "FF C4"
// pair is a place the decoder may take for a table definition (payload bytes
// included: after a scan it hunts for the next 0xFF byte wherever it is), and
// the tables of such a segment are walked as the decoder walks them: the table
// at p counts the codes in the sixteen bytes after it, the next table starts
// 17 + codes bytes on, and the segment's length bounds the walk. The decoder reads
// zeros past the end of the data, so a table cut off by the end still counts the
// codes that are there.
//
// The walk from any position is the same chain, so it is followed once: from the
// end back, each position keeps the first oversized table on its chain. A chain
// link spans at most 17 + 16 * 255 bytes, so a ring of that many positions holds
// every answer still needed, and the whole file is scanned once.
bool hasOversizedHuffmanTable(const u8* pData, std::size_t size, std::string& error) {
  constexpr std::size_t kRing = 8192;  // a power of two above the longest link
  constexpr std::size_t kNone = ~std::size_t{0};
  auto codesAt = [&](std::size_t p) {
    std::size_t codes = 0;
    for (std::size_t i = 1; i <= 16 && p + i < size; ++i) codes += pData[p + i];
    return codes;
  };
  std::vector<std::size_t> firstOversized(kRing, kNone);
  std::size_t window = 0;  // the sixteen bytes after p, summed
  std::size_t foundMarker = kNone;
  std::size_t foundTable = kNone;
  for (std::size_t p = size; p-- > 0;) {
    if (p + 1 < size) {
      window += pData[p + 1];
      if (p + 17 < size) window -= pData[p + 17];
    }
    const std::size_t next = p + 17 + window;
    std::size_t oversized = kNone;
    if (window > 256) {
      oversized = p;
    } else if (next < size) {
      oversized = firstOversized[next % kRing];
    }
    firstOversized[p % kRing] = oversized;
    // A marker four bytes back starts its tables here.
    if (p >= 4 && oversized != kNone && pData[p - 4] == 0xFF && pData[p - 3] == 0xC4) {
      const long remaining = static_cast<long>(pData[p - 2] << 8 | pData[p - 1]) - 2;
      if (remaining > 0 && oversized - p < static_cast<std::size_t>(remaining)) {
        foundMarker = p - 4;
        foundTable = oversized;
      }
    }
  }
  if (foundMarker == kNone) return false;
  error = "a JPEG Huffman table declares " + std::to_string(codesAt(foundTable)) + " codes, more than 256";
  return true;
}

bool startsLikeJpeg(const u8* pData, std::size_t size) {
  // The decoder skips fill bytes before the start-of-image marker too.
  std::size_t at = 0;
  if (size < 2 || pData[0] != 0xFF) return false;
  while (at < size && pData[at] == 0xFF) ++at;
  return at < size && pData[at] == 0xD8;
}

bool isPng(const u8* pData, std::size_t size) {
  static const u8 kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return size >= 8 && std::memcmp(pData, kSignature, 8) == 0;
}

bool sizeIsAllowed(u32 width, u32 height, std::string& error) {
  if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
      static_cast<u64>(width) * height > kMaxPicturePixels) {
    error = "picture size " + std::to_string(width) + " x " + std::to_string(height) + " is outside 1.." +
            std::to_string(kMaxPictureSide) + " a side or above " + std::to_string(kMaxPicturePixels) + " pixels";
    return false;
  }
  return true;
}

bool decodeWithOurBmpReader(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error) {
  u32 width = 0;
  u32 height = 0;
  if (!readBmpSize(pData, size, width, height, error) || !sizeIsAllowed(width, height, error)) return false;
  BmpPicture bmp;
  if (!decodeBmp(pData, size, bmp, error)) return false;
  picture.width = bmp.width;
  picture.height = bmp.height;
  picture.rgb = std::move(bmp.rgb);
  picture.alpha = std::move(bmp.alpha);
  return true;
}

bool decode(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error, bool texturesOnly) {
  picture = DecodedPicture{};
  if (!pData || size == 0) {
    error = "the file is empty";
    return false;
  }
  if (size > static_cast<std::size_t>(INT_MAX)) {
    error = "the file is too large to decode";
    return false;
  }
  // BMPs of every kind go to our own reader: stb_image knows neither run-length
  // data nor OS/2 2.x headers, nor a 32-bit picture's alpha mask.
  if (size >= 2 && pData[0] == 'B' && pData[1] == 'M') return decodeWithOurBmpReader(pData, size, picture, error);
  // stb_image would take any format it knows by its content; this path is for
  // JPEG and PNG only (a few bytes that happen to look like a TGA header would
  // otherwise decode into a picture of thousands of pixels a side).
  const bool isJpeg = size >= 2 && pData[0] == 0xFF && pData[1] == 0xD8;
  if (texturesOnly && !isJpeg && !isPng(pData, size)) {
    error = "not a BMP, JPEG or PNG picture";
    return false;
  }
  const int length = static_cast<int>(size);
  // stb_image refuses a JPEG whose data stops without the end-of-image marker
  // ("expected marker"); given the marker after the last byte, it shows what
  // there is and fills the rest from no data, as viewers do. The table guard
  // reads those same bytes: the marker can complete a table the data cut short.
  std::vector<u8> ended;
  const u8* pDecoded = pData;
  int decodedLength = length;
  if (isJpeg && (size < 4 || pData[size - 2] != 0xFF || pData[size - 1] != 0xD9) && length <= INT_MAX - 2) {
    ended.reserve(size + 2);
    ended.assign(pData, pData + size);
    ended.push_back(0xFF);
    ended.push_back(0xD9);
    pDecoded = ended.data();
    decodedLength = length + 2;
  }
  if (startsLikeJpeg(pDecoded, static_cast<std::size_t>(decodedLength)) &&
      hasOversizedHuffmanTable(pDecoded, static_cast<std::size_t>(decodedLength), error)) {
    return false;
  }
  int width = 0;
  int height = 0;
  int channels = 0;
  if (!stbi_info_from_memory(pData, length, &width, &height, &channels)) {
    error = std::string("not a picture the decoder can read (") + stbi_failure_reason() + ")";
    return false;
  }
  height = height < 0 && height != INT_MIN ? -height : height;
  if (width <= 0 || height <= 0 || !sizeIsAllowed(static_cast<u32>(width), static_cast<u32>(height), error)) {
    if (error.empty()) error = "picture size " + std::to_string(width) + " x " + std::to_string(height) + " is not a picture";
    return false;
  }
  if (isJpeg) {
    // Every 8 x 8 block of a scan costs at least one bit, so a file cannot hold
    // more blocks than it has bits: a tiny file claiming a huge picture would
    // otherwise be decoded at full size from nothing. A file that ends without
    // its end-of-image marker is shown as far as it goes, as viewers show it.
    const u64 blocks = (static_cast<u64>(width) + 7) / 8 * ((static_cast<u64>(height) + 7) / 8);
    if (blocks > static_cast<u64>(size) * 8) {
      error = "the JPEG data is too short for a " + std::to_string(width) + " x " + std::to_string(height) +
              " picture";
      return false;
    }
  }
  const bool withAlpha = channels == 2 || channels == 4;
  const int wanted = withAlpha ? 4 : 3;
  std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(pDecoded, decodedLength, &width, &height, &channels, wanted), stbi_image_free);
  if (!pixels) {
    error = std::string("the picture could not be decoded (") + stbi_failure_reason() + ")";
    return false;
  }
  picture.width = static_cast<u32>(width);
  picture.height = static_cast<u32>(height);
  const std::size_t count = static_cast<std::size_t>(width) * height;
  if (!withAlpha) {
    picture.rgb.assign(pixels.get(), pixels.get() + count * 3);
    return true;
  }
  picture.rgb.resize(count * 3);
  picture.alpha.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::memcpy(&picture.rgb[i * 3], pixels.get() + i * 4, 3);
    picture.alpha[i] = pixels.get()[i * 4 + 3];
  }
  return true;
}

}  // namespace

bool decodePicture(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error) {
  return decode(pData, size, picture, error, true);
}

bool decodeAnyPicture(const u8* pData, std::size_t size, DecodedPicture& picture, std::string& error) {
  return decode(pData, size, picture, error, false);
}

bool writeJpeg(const std::string& path, u32 width, u32 height, const u8* pRgb, int quality) {
  return stbi_write_jpg(path.c_str(), static_cast<int>(width), static_cast<int>(height), 3, pRgb, quality) != 0;
}

}  // namespace platform
