// Picture decoding of damaged JPEG Huffman tables: refused before the decoder
// sees them, while sound pictures (ours, and BMPs that happen to hold the same
// bytes) still decode.
#include "platform/picture_decoder.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cstring>

#include <fstream>
#include <iterator>
#include <initializer_list>
#include <memory>
#include <random>
#include <vector>

#include "support/image_fixtures.h"
#include "platform/image_file.h"
#include "support/temp_dir.h"

namespace {

// Start of image, then one table-definition segment holding one table per entry
// of `counts`, each table's sixteen code counts all equal to that entry, with values.
std::vector<u8> jpegWithHuffmanTables(const std::vector<u8>& counts) {
  std::vector<u8> segment;
  for (std::size_t t = 0; t < counts.size(); ++t) {
    segment.push_back(static_cast<u8>(0x10 | t));  // an AC table, slot t
    for (int i = 0; i < 16; ++i) segment.push_back(counts[t]);
    segment.insert(segment.end(), static_cast<std::size_t>(counts[t]) * 16, 0x01);
  }
  const std::size_t length = segment.size() + 2;
  std::vector<u8> file = {0xFF, 0xD8, 0xFF, 0xC4, static_cast<u8>(length >> 8), static_cast<u8>(length)};
  file.insert(file.end(), segment.begin(), segment.end());
  file.insert(file.end(), {0xFF, 0xD9});
  return file;
}

bool decode(const std::vector<u8>& bytes, platform::DecodedPicture& picture, std::string& error) {
  // Exactly sized on the heap, so a sanitized build sees any read past the file.
  const std::unique_ptr<u8[]> exact(new u8[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), exact.get());
  return platform::decodePicture(exact.get(), bytes.size(), picture, error);
}

}  // namespace

TEST(PictureDecoderJpeg, HuffmanTableWithMoreThan256CodesIsRefusedByName) {
  platform::DecodedPicture picture;
  std::string error;
  EXPECT_FALSE(decode(jpegWithHuffmanTables({32}), picture, error));
  EXPECT_EQ(error, "a JPEG Huffman table declares 512 codes, more than 256");
  EXPECT_EQ(picture.width, 0u);
}

TEST(PictureDecoderJpeg, EveryTableOfTheSegmentIsChecked) {
  platform::DecodedPicture picture;
  std::string error;
  // 256 codes is the most a table may have: refused later, for having no frame.
  EXPECT_FALSE(decode(jpegWithHuffmanTables({16, 16}), picture, error));
  EXPECT_EQ(error.find("Huffman"), std::string::npos) << error;
  EXPECT_FALSE(decode(jpegWithHuffmanTables({1, 17}), picture, error));
  EXPECT_EQ(error, "a JPEG Huffman table declares 272 codes, more than 256");
}

TEST(PictureDecoderJpeg, ATableCutOffByTheEndStillCountsTheCodesThatAreThere) {
  // The decoder is handed the end marker after the last byte, then reads zeros:
  // ten counts of 30, then FF and D9, are 772 codes.
  std::vector<u8> file = {0xFF, 0xD8, 0xFF, 0xC4, 0x01, 0x00, 0x10};
  file.insert(file.end(), 10, 30);
  platform::DecodedPicture picture;
  std::string error;
  EXPECT_FALSE(decode(file, picture, error));
  EXPECT_EQ(error, "a JPEG Huffman table declares 772 codes, more than 256");

  // With a frame before it the header reads well, and the table is only made
  // too large by the end marker given to a file that lacks one (found by fuzzing).
  file = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00,
          0xFF, 0xC4, 0x00, 0x13, 0x00};
  file.insert(file.end(), 14, 0);
  EXPECT_FALSE(decode(file, picture, error));
  EXPECT_EQ(error, "a JPEG Huffman table declares 472 codes, more than 256");
}

TEST(PictureDecoderJpeg, AScanNamingATableNeverDefinedDecodesTheSameEveryTime) {
  // Found by fuzzing: the decoder once searched such a table's codes past its
  // arrays, with whatever the memory held. Now the table is empty, the same each time.
  std::ifstream in("fuzz/corpus/picture/finding-scan-with-undefined-huffman-table.jpg", std::ios::binary);
  const std::vector<u8> bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(bytes.size(), 682u);
  platform::DecodedPicture first;
  platform::DecodedPicture second;
  std::string firstError;
  std::string secondError;
  const bool firstResult = decode(bytes, first, firstError);
  std::vector<u8> clutter(1 << 16, 0xA5);  // leaves different bytes in freed memory
  const bool secondResult = decode(bytes, second, secondError);
  EXPECT_EQ(firstResult, secondResult);
  EXPECT_EQ(firstError, secondError);
  EXPECT_EQ(first.rgb, second.rgb);
  if (firstResult) {
    EXPECT_EQ(first.width, 8u);
    EXPECT_EQ(first.height, 8u);
  }
}

TEST(PictureDecoderJpeg, OurOwnJpegStillDecodes) {
  TempDir dir;
  std::vector<u8> rgb(24 * 8 * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<u8>(i);
  const std::string path = (dir.path() / "ours.jpg").string();
  ASSERT_TRUE(platform::writeJpeg(path, 24, 8, rgb.data(), 90));
  std::ifstream in(path, std::ios::binary);
  const std::vector<u8> bytes{std::istreambuf_iterator<char>(in), {}};
  platform::DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(decode(bytes, picture, error)) << error;
  EXPECT_EQ(picture.width, 24u);
  EXPECT_EQ(picture.height, 8u);
}

TEST(PictureDecoderJpeg, ABmpHoldingTheSameBytesIsNotTakenForAJpeg) {
  // Pixels FF C4 FF: the table check only applies to JPEG data.
  const std::string bmp = fixture::bmp(2, 2, 24, [](u32, u32) { return fixture::Rgba{0xFF, 0xC4, 0xFF, 255}; });
  platform::DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(decode(std::vector<u8>(bmp.begin(), bmp.end()), picture, error)) << error;
  EXPECT_EQ(picture.width, 2u);
}

TEST(PictureDecoderFormats, OnlyBmpJpegAndPngAreTaken) {
  // A few bytes that stb_image would read as an RLE TGA of 8224 x 8224 pixels.
  std::vector<u8> tgaLike = {0x00, 0x00, 0x0a, 0x00, 0x5b, 0x31, 0xff, 0xd8, 0x55, 0x56, 0x57, 0x58};
  tgaLike.resize(121, 0x20);
  platform::DecodedPicture picture;
  std::string error;
  EXPECT_FALSE(decode(tgaLike, picture, error));
  EXPECT_EQ(error, "not a BMP, JPEG or PNG picture");
  EXPECT_EQ(picture.width, 0u);
}

TEST(PictureDecoderJpeg, ATinyFileClaimingAHugePictureIsRefused) {
  TempDir dir;
  std::vector<u8> rgb(16 * 16 * 3, 128);
  const std::string path = (dir.path() / "small.jpg").string();
  ASSERT_TRUE(platform::writeJpeg(path, 16, 16, rgb.data(), 90));
  std::ifstream in(path, std::ios::binary);
  std::vector<u8> bytes{std::istreambuf_iterator<char>(in), {}};
  // Rewrite the frame header's size to 8000 x 8000: far more blocks than bits.
  bool patched = false;
  for (std::size_t i = 0; i + 8 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      bytes[i + 5] = 8000 >> 8;
      bytes[i + 6] = 8000 & 0xFF;
      bytes[i + 7] = 8000 >> 8;
      bytes[i + 8] = 8000 & 0xFF;
      patched = true;
      break;
    }
  }
  ASSERT_TRUE(patched);
  platform::DecodedPicture picture;
  std::string error;
  EXPECT_FALSE(decode(bytes, picture, error));
  EXPECT_NE(error.find("too short for a 8000 x 8000 picture"), std::string::npos) << error;
}

TEST(PictureDecoderJpeg, AHugeClaimWithEnoughBytesIsRefusedByItsPixelCount) {
  // 16384 x 16384 with a bit for every block (half a megabyte of padding): the
  // decoder once took 2.6 GB for it. Now the size alone refuses it.
  TempDir dir;
  std::vector<u8> rgb(16 * 16 * 3, 128);
  const std::string path = (dir.path() / "claim.jpg").string();
  ASSERT_TRUE(platform::writeJpeg(path, 16, 16, rgb.data(), 90));
  std::ifstream in(path, std::ios::binary);
  std::vector<u8> bytes{std::istreambuf_iterator<char>(in), {}};
  for (std::size_t i = 0; i + 8 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      bytes[i + 5] = bytes[i + 7] = 0x40;
      bytes[i + 6] = bytes[i + 8] = 0x00;
      break;
    }
  }
  bytes.resize(bytes.size() + (600u << 10), 0);
  platform::DecodedPicture picture;
  std::string error;
  EXPECT_FALSE(decode(bytes, picture, error));
  EXPECT_EQ(error, "picture size 16384 x 16384 is outside 1..16384 a side or above 67108864 pixels");
}

namespace {

std::vector<u8> bytesOf(const std::string& text) { return std::vector<u8>(text.begin(), text.end()); }

fixture::Rgba rgbAt(const platform::DecodedPicture& picture, u32 x, u32 y) {
  const u8* p = picture.rgb.data() + (static_cast<std::size_t>(y) * picture.width + x) * 3;
  const u8 alpha = picture.alpha.empty() ? 255 : picture.alpha[static_cast<std::size_t>(y) * picture.width + x];
  return {p[0], p[1], p[2], alpha};
}

std::string raw(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

const std::vector<fixture::Rgba> kPalette = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};

}  // namespace

TEST(PictureDecoderBmp, RunLengthEightAndFourBitPicturesDecode) {
  // 4 x 3, bottom row first: a run of 4 reds; an end of line; an absolute run of
  // 3 (padded to a whole word) and an end of line; a green, a move right by one, a
  // green, and the end.
  fixture::BmpSpec rle8;
  rle8.width = 4;
  rle8.height = 3;
  rle8.bits = 8;
  rle8.compression = 1;
  rle8.palette = kPalette;
  rle8.pixels = raw({4, 1, 0, 0, 0, 3, 2, 3, 2, 0, 0, 0, 1, 2, 0, 2, 1, 0, 1, 2, 0, 1});
  platform::DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(decode(bytesOf(fixture::bmp(rle8)), picture, error)) << error;
  ASSERT_EQ(picture.width, 4u);
  ASSERT_EQ(picture.height, 3u);
  EXPECT_TRUE(picture.alpha.empty());
  EXPECT_EQ(rgbAt(picture, 3, 2), (fixture::Rgba{255, 0, 0, 255})) << "the bottom row";
  EXPECT_EQ(rgbAt(picture, 0, 1), (fixture::Rgba{0, 255, 0, 255}));
  EXPECT_EQ(rgbAt(picture, 1, 1), (fixture::Rgba{0, 0, 255, 255}));
  EXPECT_EQ(rgbAt(picture, 3, 1), (fixture::Rgba{0, 0, 0, 255})) << "nothing drawn: palette entry 0";
  EXPECT_EQ(rgbAt(picture, 0, 0), (fixture::Rgba{0, 255, 0, 255}));
  EXPECT_EQ(rgbAt(picture, 1, 0), (fixture::Rgba{0, 0, 0, 255})) << "moved over";
  EXPECT_EQ(rgbAt(picture, 2, 0), (fixture::Rgba{0, 255, 0, 255}));

  // RLE4, 6 x 1: a run of 3 alternating 1 and 2, then 3 literal pixels 3, 1, 2.
  fixture::BmpSpec rle4 = rle8;
  rle4.width = 6;
  rle4.height = 1;
  rle4.bits = 4;
  rle4.compression = 2;
  rle4.pixels = raw({3, 0x12, 0, 3, 0x31, 0x20, 0, 1});
  ASSERT_TRUE(decode(bytesOf(fixture::bmp(rle4)), picture, error)) << error;
  EXPECT_EQ(rgbAt(picture, 0, 0), (fixture::Rgba{255, 0, 0, 255}));
  EXPECT_EQ(rgbAt(picture, 1, 0), (fixture::Rgba{0, 255, 0, 255}));
  EXPECT_EQ(rgbAt(picture, 2, 0), (fixture::Rgba{255, 0, 0, 255}));
  EXPECT_EQ(rgbAt(picture, 3, 0), (fixture::Rgba{0, 0, 255, 255}));
  EXPECT_EQ(rgbAt(picture, 4, 0), (fixture::Rgba{255, 0, 0, 255}));
  EXPECT_EQ(rgbAt(picture, 5, 0), (fixture::Rgba{0, 255, 0, 255}));

  // A few bytes whose end-of-picture mark claims a huge blank picture are refused
  // before it is allocated (found by fuzzing: 124 bytes for 2083 x 8193).
  fixture::BmpSpec huge = rle8;
  huge.width = 4000;
  huge.height = 4000;
  huge.pixels = raw({0, 1});
  EXPECT_FALSE(decode(bytesOf(fixture::bmp(huge)), picture, error));
  EXPECT_NE(error.find("is too short for a 4000 x 4000 picture"), std::string::npos) << error;

  // Data that stops before its end mark, or a literal run past the file, is refused.
  rle8.pixels = raw({4, 1, 0, 0});
  EXPECT_FALSE(decode(bytesOf(fixture::bmp(rle8)), picture, error));
  EXPECT_NE(error.find("ends before its end-of-picture mark"), std::string::npos) << error;
  rle8.pixels = raw({0, 200, 1, 2});
  EXPECT_FALSE(decode(bytesOf(fixture::bmp(rle8)), picture, error));
  EXPECT_NE(error.find("literal pixels"), std::string::npos) << error;
}

TEST(PictureDecoderBmp, OneAndFourBitPalettesAndOs2Headers) {
  // 1 bit, 10 x 1: pixels 1010000001 (rows padded to four bytes).
  fixture::BmpSpec mono;
  mono.width = 10;
  mono.height = 1;
  mono.bits = 1;
  mono.palette = {{10, 20, 30, 0}, {200, 210, 220, 0}};
  mono.pixels = raw({0xA0, 0x40, 0, 0});
  platform::DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(decode(bytesOf(fixture::bmp(mono)), picture, error)) << error;
  EXPECT_EQ(rgbAt(picture, 0, 0), (fixture::Rgba{200, 210, 220, 255}));
  EXPECT_EQ(rgbAt(picture, 1, 0), (fixture::Rgba{10, 20, 30, 255}));
  EXPECT_EQ(rgbAt(picture, 9, 0), (fixture::Rgba{200, 210, 220, 255}));
  // 4 bit, 3 x 2, with an OS/2 1.x header (three-byte palette entries).
  fixture::BmpSpec os2 = mono;
  os2.headerSize = 12;
  os2.width = 3;
  os2.height = 2;
  os2.bits = 4;
  os2.palette = kPalette;
  os2.palette.resize(16, {9, 9, 9, 0});
  os2.pixels = raw({0x12, 0x30, 0, 0, 0x33, 0x10, 0, 0});
  ASSERT_TRUE(decode(bytesOf(fixture::bmp(os2)), picture, error)) << error;
  EXPECT_EQ(rgbAt(picture, 0, 1), (fixture::Rgba{255, 0, 0, 255})) << "the first stored row is the bottom";
  EXPECT_EQ(rgbAt(picture, 2, 1), (fixture::Rgba{0, 0, 255, 255}));
  EXPECT_EQ(rgbAt(picture, 1, 0), (fixture::Rgba{0, 0, 255, 255}));
  EXPECT_EQ(rgbAt(picture, 2, 0), (fixture::Rgba{255, 0, 0, 255}));
  // The same as OS/2 2.x: a 64-byte header, four-byte entries, and run-length data.
  fixture::BmpSpec os2v2 = os2;
  os2v2.headerSize = 64;
  os2v2.bits = 8;
  os2v2.compression = 1;
  os2v2.palette = kPalette;
  os2v2.pixels = raw({3, 2, 0, 0, 3, 3, 0, 1});
  ASSERT_TRUE(decode(bytesOf(fixture::bmp(os2v2)), picture, error)) << error;
  EXPECT_EQ(rgbAt(picture, 1, 1), (fixture::Rgba{0, 255, 0, 255}));
  EXPECT_EQ(rgbAt(picture, 1, 0), (fixture::Rgba{0, 0, 255, 255}));
}

TEST(PictureDecoderBmp, ColourAndAlphaMasksOfTheNewerHeaders) {
  // V5 header, 32 bits, bit fields with the alpha in the lowest byte (R G B A from
  // the top): stored little-endian as A, B, G, R.
  for (const u32 headerSize : {56u, 108u, 124u}) {
    SCOPED_TRACE(headerSize);
    fixture::BmpSpec spec;
    spec.headerSize = headerSize;
    spec.width = 2;
    spec.height = 1;
    spec.bits = 32;
    spec.compression = 3;
    spec.masks = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
    spec.pixels = raw({0x40, 0x30, 0x20, 0x10, 0xFF, 0x00, 0x00, 0xFF});
    platform::DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(decode(bytesOf(fixture::bmp(spec)), picture, error)) << error;
    EXPECT_EQ(rgbAt(picture, 0, 0), (fixture::Rgba{0x10, 0x20, 0x30, 0x40}));
    EXPECT_EQ(rgbAt(picture, 1, 0), (fixture::Rgba{0xFF, 0, 0, 0xFF}));
  }
  // 16 bits, 5-6-5 masks after a 40-byte header: white and pure green.
  fixture::BmpSpec rgb565;
  rgb565.width = 2;
  rgb565.height = 1;
  rgb565.bits = 16;
  rgb565.compression = 3;
  rgb565.masks = {0xF800, 0x07E0, 0x001F};
  rgb565.pixels = raw({0xFF, 0xFF, 0xE0, 0x07});
  platform::DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(decode(bytesOf(fixture::bmp(rgb565)), picture, error)) << error;
  EXPECT_TRUE(picture.alpha.empty()) << "only 32-bit pictures carry alpha";
  EXPECT_EQ(rgbAt(picture, 0, 0), (fixture::Rgba{255, 255, 255, 255}));
  EXPECT_EQ(rgbAt(picture, 1, 0), (fixture::Rgba{0, 255, 0, 255}));
  // A 32-bit picture without an alpha mask keeps its fourth byte as alpha.
  const std::string plain = fixture::bmp(1, 1, 32, [](u32, u32) { return fixture::Rgba{1, 2, 3, 77}; });
  ASSERT_TRUE(decode(bytesOf(plain), picture, error)) << error;
  EXPECT_EQ(rgbAt(picture, 0, 0), (fixture::Rgba{1, 2, 3, 77}));
}

TEST(PictureDecoderBmp, EveryKindStbImageReadsDecodesToTheSamePixels) {
  // The pictures stb_image took before our reader replaced it must not change.
  std::mt19937 generator(5);
  auto randomBytes = [&](std::size_t count) {
    std::string out(count, '\0');
    for (char& c : out) c = static_cast<char>(generator());
    return out;
  };
  auto palette = [&](u32 count) {
    std::vector<fixture::Rgba> entries;
    for (u32 i = 0; i < count; ++i) {
      entries.push_back({static_cast<u8>(generator()), static_cast<u8>(generator()), static_cast<u8>(generator()), 0});
    }
    return entries;
  };
  struct Kind {
    u32 headerSize;
    u32 bits;
    u32 compression;
    std::vector<u32> masks;
    bool topDown;
  };
  const Kind kinds[] = {
      {40, 1, 0, {}, false},  {40, 4, 0, {}, false},  {40, 8, 0, {}, false},
      {40, 8, 0, {}, true},   {40, 16, 0, {}, false}, {40, 24, 0, {}, false},
      {40, 24, 0, {}, true},  {40, 32, 0, {}, false}, {40, 16, 3, {0xF800, 0x07E0, 0x001F}, false},
      {40, 32, 3, {0xFF0000, 0xFF00, 0xFF}, false},   {12, 8, 0, {}, false},
      {12, 24, 0, {}, false}, {108, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, false},
      {124, 16, 3, {0x7C00, 0x03E0, 0x001F, 0x8000}, false},
  };
  for (const Kind& kind : kinds) {
    for (const s32 width : {1, 3, 5, 8}) {
      SCOPED_TRACE(std::to_string(kind.headerSize) + "-byte header, " + std::to_string(kind.bits) + " bits, width " +
                   std::to_string(width));
      const s32 height = 3;
      fixture::BmpSpec spec;
      spec.headerSize = kind.headerSize;
      spec.width = width;
      spec.height = kind.topDown ? -height : height;
      spec.bits = kind.bits;
      spec.compression = kind.compression;
      spec.masks = kind.masks;
      if (kind.bits <= 8) spec.palette = palette(1u << kind.bits);
      const std::size_t stride = (static_cast<std::size_t>(width) * kind.bits + 31) / 32 * 4;
      spec.pixels = randomBytes(stride * height);
      if (kind.headerSize == 12 && kind.bits == 8) {
        // stb_image reads only 252 entries of an OS/2 palette (its offset sum is
        // two bytes short) and leaves the rest to whatever its stack held.
        for (char& c : spec.pixels) c = static_cast<char>(static_cast<u8>(c) % 252);
      }
      const std::string file = fixture::bmp(spec);
      int stbWidth = 0;
      int stbHeight = 0;
      int channels = 0;
      std::unique_ptr<stbi_uc, void (*)(void*)> expected(
          stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(file.data()), static_cast<int>(file.size()),
                                &stbWidth, &stbHeight, &channels, 3),
          stbi_image_free);
      ASSERT_TRUE(expected) << stbi_failure_reason();
      platform::DecodedPicture picture;
      std::string error;
      ASSERT_TRUE(decode(bytesOf(file), picture, error)) << error;
      ASSERT_EQ(picture.width, static_cast<u32>(stbWidth));
      ASSERT_EQ(picture.height, static_cast<u32>(stbHeight));
      EXPECT_EQ(0, std::memcmp(picture.rgb.data(), expected.get(), picture.rgb.size()));
    }
  }
}

TEST(PictureDecoderBmp, HeadersItDoesNotReadAreRefusedWithTheirOffset) {
  fixture::BmpSpec spec;
  spec.headerSize = 200;
  platform::DecodedPicture picture;
  std::string error;
  EXPECT_FALSE(decode(bytesOf(fixture::bmp(spec)), picture, error));
  EXPECT_EQ(error, "offset 14: info header size 200 is not a BMP header this decoder reads");
  spec.headerSize = 40;
  spec.compression = 4;  // JPEG inside a BMP
  spec.pixels = raw({1, 2, 3, 4});
  EXPECT_FALSE(decode(bytesOf(fixture::bmp(spec)), picture, error));
  EXPECT_EQ(error, "offset 30: compression 4 with 24 bits per pixel is not read");
  spec.compression = 0;
  spec.bits = 8;  // no palette
  EXPECT_FALSE(decode(bytesOf(fixture::bmp(spec)), picture, error));
  EXPECT_NE(error.find("palette"), std::string::npos) << error;
  const std::string cut = fixture::bmp(12, 6, 24, [](u32, u32) { return fixture::Rgba{}; });
  EXPECT_FALSE(decode(bytesOf(cut.substr(0, cut.size() - 1)), picture, error));
  EXPECT_NE(error.find("the BMP needs"), std::string::npos) << error;
}

TEST(PictureDecoderJpeg, AFileWithoutItsEndMarkerShowsWhatItHas) {
  TempDir dir;
  std::vector<u8> rgb(32 * 32 * 3);
  for (std::size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 200;  // red
  const std::string path = (dir.path() / "cut.jpg").string();
  ASSERT_TRUE(platform::writeJpeg(path, 32, 32, rgb.data(), 90));
  std::ifstream in(path, std::ios::binary);
  std::vector<u8> bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(bytes[bytes.size() - 2], 0xFF);
  ASSERT_EQ(bytes.back(), 0xD9);
  bytes.resize(bytes.size() - 2);
  platform::DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(decode(bytes, picture, error)) << error;
  EXPECT_EQ(picture.width, 32u);
  EXPECT_GT(rgbAt(picture, 5, 5)[0], 180);
  EXPECT_LT(rgbAt(picture, 5, 5)[1], 30);
}

TEST(PictureDecoderPng, PngDecodesWithItsAlpha) {
  TempDir dir;
  const std::vector<u8> rgba = {10, 20, 30, 40, 50, 60, 70, 255, 0, 255, 0, 0, 1, 2, 3, 128};
  const std::string path = (dir.path() / "alpha.png").string();
  ASSERT_TRUE(platform::writePngFile(path, 2, 2, rgba.data(), false));
  std::ifstream in(path, std::ios::binary);
  const std::vector<u8> bytes{std::istreambuf_iterator<char>(in), {}};
  platform::DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(decode(bytes, picture, error)) << error;
  ASSERT_EQ(picture.alpha.size(), 4u);
  EXPECT_EQ(rgbAt(picture, 0, 0), (fixture::Rgba{10, 20, 30, 40}));
  EXPECT_EQ(rgbAt(picture, 1, 1), (fixture::Rgba{1, 2, 3, 128}));
}

namespace {

// The pre-scan as it was first written: every "FF C4" walked on its own.
bool oversizedByWalkingEachMarker(const std::vector<u8>& data) {
  const std::size_t size = data.size();
  for (std::size_t marker = 0; marker + 4 <= size; ++marker) {
    if (data[marker] != 0xFF || data[marker + 1] != 0xC4) continue;
    long remaining = static_cast<long>(data[marker + 2] << 8 | data[marker + 3]) - 2;
    std::size_t at = marker + 4;
    while (remaining > 0 && at < size) {
      std::size_t codes = 0;
      for (std::size_t i = 1; i <= 16 && at + i < size; ++i) codes += data[at + i];
      if (codes > 256) return true;
      remaining -= static_cast<long>(17 + codes);
      at += 17 + codes;
    }
  }
  return false;
}

}  // namespace

TEST(PictureDecoderJpeg, TheTableGuardFindsWhatWalkingEveryMarkerFinds) {
  // Random files that start like a JPEG and are full of "FF C4" pairs and small
  // counts, so the chains are long and cross each other.
  std::mt19937 generator(17);
  int refused = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<u8> data = {0xFF, 0xD8};
    const std::size_t length = 8 + generator() % 600;
    while (data.size() < length) {
      const u32 kind = generator() % 40;
      if (kind < 3) {
        data.insert(data.end(), {0xFF, 0xC4, static_cast<u8>(generator() % 3), static_cast<u8>(generator())});
      } else if (kind == 3) {
        data.push_back(static_cast<u8>(generator()));
      } else {
        data.push_back(static_cast<u8>(generator() % 24));
      }
    }
    platform::DecodedPicture picture;
    std::string error;
    // The decoder is handed the end marker after data that lacks one.
    std::vector<u8> decoded = data;
    if (decoded[decoded.size() - 2] != 0xFF || decoded.back() != 0xD9) decoded.insert(decoded.end(), {0xFF, 0xD9});
    const bool expected = oversizedByWalkingEachMarker(decoded);
    decode(data, picture, error);
    const bool found = error.find("Huffman table declares") != std::string::npos;
    ASSERT_EQ(found, expected) << "round " << round << ": " << error;
    refused += found;
  }
  EXPECT_GT(refused, 300) << "both answers are represented";
  EXPECT_LT(refused, 2950);
}

TEST(PictureDecoderJpeg, ManyLongTableSegmentsAreScannedOnce) {
  // Every 21 bytes a segment of the longest length whose tables chain through
  // all the following ones without an oversized table: walked marker by marker
  // that is over 3,000 tables for each of 400,000 markers (about 20 s here); one
  // pass over the file is a few milliseconds.
  std::vector<u8> data = {0xFF, 0xD8};
  while (data.size() < (8u << 20)) {
    data.push_back(0);  // a table's class byte
    const u8 counts[16] = {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    data.insert(data.end(), counts, counts + 16);
    data.insert(data.end(), {0xFF, 0xC4, 0xFF, 0xFF});  // the four codes' values, read as a marker
  }
  platform::DecodedPicture picture;
  std::string error;
  EXPECT_FALSE(decode(data, picture, error));
  EXPECT_EQ(error.find("Huffman"), std::string::npos) << error;
}
