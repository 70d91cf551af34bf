// TGA and DDS reading without GL: pixel order and packets of TGA files, the header
// checks and level layout of DXT1 cube maps, and short or forged files of both.
#include <gtest/gtest.h>

#include <vector>

#include "framework/critical_check.h"
#include "resource/dds_reader.h"
#include "resource/tga_reader.h"
#include "support/fatal_text.h"
#include "support/image_fixtures.h"

namespace {

using fixture::Rgba;

Rgba pattern(u32 x, u32 y) {
  // Stretches of equal pixels and of changing ones, so both packet kinds appear.
  if (y % 2 == 0) return {200, 100, 50, 128};
  return {static_cast<u8>(x * 7), static_cast<u8>(y * 3), static_cast<u8>(x + y), static_cast<u8>(255 - x)};
}

struct Tga {
  bool ok = false;
  std::string error;
  image::TgaHeader header;
  std::vector<u8> pixels;
};

Tga readTga(const std::string& bytes) {
  Tga result;
  const u8* data = reinterpret_cast<const u8*>(bytes.data());
  if (!image::readTgaHeader(data, bytes.size(), result.header, result.error)) return result;
  result.pixels.assign(static_cast<std::size_t>(result.header.width) * result.header.height *
                           (result.header.bitsPerPixel / 8),
                       0);
  result.ok = image::readTgaPixels(data, bytes.size(), result.header, result.pixels.data(), result.error);
  return result;
}

bool readDds(const std::string& bytes, image::DdsCubeMap& cubeMap, std::string& error) {
  return image::readDdsCubeMap(reinterpret_cast<const u8*>(bytes.data()), bytes.size(), cubeMap, error);
}

}  // namespace

TEST(TgaReader, RawAndRunLengthIn24And32BitsGiveRgbInFileRowOrder) {
  for (const bool runLength : {false, true}) {
    for (const u32 bits : {24u, 32u}) {
      const Tga tga = readTga(fixture::tga(16, 8, bits, runLength, pattern));
      ASSERT_TRUE(tga.ok) << tga.error;
      EXPECT_EQ(tga.header.compressed, runLength);
      EXPECT_EQ(tga.header.bitsPerPixel, bits);
      const u32 bytes = bits / 8;
      for (u32 y = 0; y < 8; ++y) {
        for (u32 x = 0; x < 16; ++x) {
          const u8* p = tga.pixels.data() + (y * 16 + x) * bytes;
          const Rgba expected = pattern(x, y);
          EXPECT_EQ(p[0], expected[0]) << "red at " << x << "," << y;
          EXPECT_EQ(p[1], expected[1]);
          EXPECT_EQ(p[2], expected[2]) << "blue at " << x << "," << y;
          if (bits == 32) EXPECT_EQ(p[3], expected[3]);
        }
      }
    }
  }
}

TEST(TgaReader, RefusesOtherTypesSizesAndDepths) {
  image::TgaHeader header;
  std::string error;
  std::string colourMapped = fixture::tga(4, 4, 24, false, pattern);
  colourMapped[1] = 1;
  EXPECT_FALSE(image::readTgaHeader(reinterpret_cast<const u8*>(colourMapped.data()), colourMapped.size(), header,
                                    error));
  std::string sixteenBits = fixture::tga(4, 4, 24, false, pattern);
  sixteenBits[16] = 16;
  EXPECT_FALSE(readTga(sixteenBits).ok);
  std::string zeroWidth = fixture::tga(4, 4, 24, false, pattern);
  zeroWidth[12] = 0;
  EXPECT_FALSE(readTga(zeroWidth).ok);
  EXPECT_FALSE(readTga("").ok);
  EXPECT_FALSE(readTga(fixture::randomBytes(300, 3)).ok);
  EXPECT_FALSE(readTga(std::string(12, '\0')).ok);
}

TEST(TgaReader, TruncatedFilesFailAtEveryCut) {
  for (const bool runLength : {false, true}) {
    const std::string bytes = fixture::tga(8, 8, 32, runLength, pattern);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      const Tga tga = readTga(bytes.substr(0, cut));
      EXPECT_FALSE(tga.ok) << "cut at " << cut;
      EXPECT_FALSE(tga.error.empty());
    }
  }
}

TEST(TgaReaderDeath, RunPacketPastTheImageIsFatal) {
  // A 2 x 2 image whose one run packet stores five pixels.
  std::string bytes = fixture::tga(2, 2, 24, true, pattern).substr(0, 18);
  bytes += static_cast<char>(128 + 4);
  bytes += std::string("\x01\x02\x03", 3);
  EXPECT_EXIT(readTga(bytes), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[currentpixel<=pixelcount + \"\"]"));
  // Exactly four pixels is fine.
  bytes[18] = static_cast<char>(128 + 3);
  EXPECT_TRUE(readTga(bytes).ok);
}

TEST(DdsReader, Dxt1CubeMapLaysOutSixFacesWithAllLevels) {
  const std::string bytes = fixture::dds(16, 8, 5, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6);
  image::DdsCubeMap cubeMap;
  std::string error;
  ASSERT_TRUE(readDds(bytes, cubeMap, error)) << error;
  EXPECT_EQ(cubeMap.width, 16u);
  EXPECT_EQ(cubeMap.height, 8u);
  ASSERT_EQ(cubeMap.levels.size(), 30u);
  const u32 widths[5] = {16, 8, 4, 2, 1};
  const u32 heights[5] = {8, 4, 2, 1, 1};
  const std::size_t sizes[5] = {64, 16, 8, 8, 8};
  std::size_t offset = 128;
  for (u32 face = 0; face < 6; ++face) {
    for (u32 level = 0; level < 5; ++level) {
      const image::DdsLevel& l = cubeMap.levels[face * 5 + level];
      EXPECT_EQ(l.face, face);
      EXPECT_EQ(l.level, level);
      EXPECT_EQ(l.width, widths[level]);
      EXPECT_EQ(l.height, heights[level]);
      EXPECT_EQ(l.size, sizes[level]);
      EXPECT_EQ(l.offset, offset);
      offset += l.size;
    }
  }
  EXPECT_EQ(offset, bytes.size());
}

TEST(DdsReader, RefusesTwoDimensionalOtherFormatsAndForgedHeaders) {
  image::DdsCubeMap cubeMap;
  std::string error;
  EXPECT_FALSE(readDds(fixture::dds(8, 8, 1, fixture::kFourCcDxt1, 0, 1), cubeMap, error));
  EXPECT_NE(error.find("cube map"), std::string::npos) << error;
  EXPECT_FALSE(readDds(fixture::dds(8, 8, 1, fixture::kFourCcDxt5, fixture::kCaps2CubeAllFaces, 6), cubeMap, error));
  EXPECT_NE(error.find("DXT1"), std::string::npos) << error;
  EXPECT_FALSE(readDds(fixture::dds(8, 8, 1, fixture::kFourCcDxt1, 0xFC00, 5), cubeMap, error));
  std::string badMagic = fixture::dds(8, 8, 1, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6);
  badMagic[3] = 'X';
  EXPECT_FALSE(readDds(badMagic, cubeMap, error));
  std::string noMipFlag = fixture::dds(8, 8, 1, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6);
  noMipFlag[10] = 0;  // clears 0x20000 of the flags
  EXPECT_FALSE(readDds(noMipFlag, cubeMap, error));
  EXPECT_FALSE(readDds(fixture::dds(8, 8, 0, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6), cubeMap, error));
  EXPECT_FALSE(readDds(fixture::dds(8, 8, 9, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6), cubeMap, error));
  EXPECT_FALSE(readDds("", cubeMap, error));
  EXPECT_NE(error.find("fewer than"), std::string::npos) << error;
  EXPECT_FALSE(readDds(fixture::randomBytes(4096, 11), cubeMap, error));
}

TEST(DdsReader, TruncatedFilesFailAtEveryCut) {
  const std::string bytes = fixture::dds(8, 8, 4, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6);
  image::DdsCubeMap cubeMap;
  std::string error;
  ASSERT_TRUE(readDds(bytes, cubeMap, error)) << error;
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    EXPECT_FALSE(readDds(bytes.substr(0, cut), cubeMap, error)) << "cut at " << cut;
  }
  EXPECT_NE(error.find("file ends"), std::string::npos) << error;
}
