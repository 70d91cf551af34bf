// Picture decoding of damaged JPEG Huffman tables: refused before the decoder
// sees them, while sound pictures (ours, and BMPs that happen to hold the same
// bytes) still decode.
#include "platform/picture_decoder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "support/image_fixtures.h"
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
  // The decoder reads zeros past the end: ten counts of 30 are 300 codes.
  std::vector<u8> file = {0xFF, 0xD8, 0xFF, 0xC4, 0x01, 0x00, 0x10};
  file.insert(file.end(), 10, 30);
  platform::DecodedPicture picture;
  std::string error;
  EXPECT_FALSE(decode(file, picture, error));
  EXPECT_EQ(error, "a JPEG Huffman table declares 300 codes, more than 256");
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

TEST(PictureDecoderFormats, OnlyBmpAndJpegAreTaken) {
  // A few bytes that stb_image would read as an RLE TGA of 8224 x 8224 pixels.
  std::vector<u8> tgaLike = {0x00, 0x00, 0x0a, 0x00, 0x5b, 0x31, 0xff, 0xd8, 0x55, 0x56, 0x57, 0x58};
  tgaLike.resize(121, 0x20);
  platform::DecodedPicture picture;
  std::string error;
  EXPECT_FALSE(decode(tgaLike, picture, error));
  EXPECT_EQ(error, "not a BMP or JPEG picture");
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
