// TGA and DDS reading without GL: pixel order, packets and colour maps of TGA
// files, the header checks and level layouts of DDS files, and forged files of both.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "framework/critical_check.h"
#include "resource/dds_reader.h"
#include "resource/tga_reader.h"
#include "support/fatal_text.h"
#include "support/image_fixtures.h"

namespace {

using fixture::Rgba;

Rgba pattern(u32 x, u32 y) { return {static_cast<u8>(x * 7), static_cast<u8>(y * 3), 50, 128}; }

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

TEST(TgaReader, RefusesOtherTypesSizesAndDepths) {
  std::string twelveBits = fixture::tga(4, 4, 24, false, pattern);
  twelveBits[16] = 12;
  EXPECT_EQ(readTga(twelveBits).error, "offset 16: 12 bits per pixel; 15, 16, 24 and 32 are read");
  std::string otherType = fixture::tga(4, 4, 24, false, pattern);
  otherType[2] = 32;  // Huffman-coded colour-mapped
  EXPECT_NE(readTga(otherType).error.find("offset 2: image type 32"), std::string::npos);
  EXPECT_FALSE(readTga(fixture::tgaHeader(1, 1, 0, 0, 24, 2, 2, 8)).ok) << "a colour-mapped image without a map";
  std::string zeroWidth = fixture::tga(4, 4, 24, false, pattern);
  zeroWidth[12] = 0;
  EXPECT_FALSE(readTga(zeroWidth).ok);
  EXPECT_FALSE(readTga(fixture::randomBytes(300, 3)).ok);
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
  ASSERT_EQ(cubeMap.levels.size(), 30u);
  const std::size_t sizes[5] = {64, 16, 8, 8, 8};  // 16 x 8 down to 1 x 1, blocks of 4 x 4
  std::size_t offset = 128;
  for (const image::DdsLevel& level : cubeMap.levels) {
    EXPECT_EQ(level.width, 16u >> level.level);
    EXPECT_EQ(level.size, sizes[level.level]);
    EXPECT_EQ(level.offset, offset) << "face " << level.face << " level " << level.level;
    offset += level.size;
  }
  EXPECT_EQ(cubeMap.levels[29].face, 5u);
  EXPECT_EQ(offset, bytes.size());
}

TEST(DdsReader, RefusesWhatItDoesNotReadWithTheOffsetAndTheProblem) {
  auto with = [](auto change) {
    fixture::DdsSpec spec;
    change(spec);
    return fixture::dds(spec);
  };
  std::string badMagic = fixture::dds(8, 8, 1, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6);
  badMagic[3] = 'X';
  const std::string bc7 = with([](auto& s) { s.dx10 = true; s.dxgiFormat = 98; });
  const std::pair<std::string, const char*> cases[] = {
      {fixture::dds(8, 8, 1, fixture::kFourCcDxt1, 0xFC00, 5), "offset 112: caps2 0xFC00 is a cube map without all six faces"},
      {fixture::dds(8, 8, 1, 0x32545844 /* DXT2 */, 0, 1), "offset 84: pixel format 0x32545844 is not DXT1"},
      {with([](auto& s) {
         s.pixelFlags = 0x40;
         s.rgbBits = 16;
         s.masks[0] = 0xF800;
         s.masks[1] = 0x07E0;
         s.masks[2] = 0x1F;
         s.compressed = false;
         s.unitBytes = 2;
       }),
       "offset 80: "},
      {with([](auto& s) { s.flags |= 0x800000; s.depth = 4; s.caps2 = 0x200000; }),
       "offset 24: a volume texture (depth 4), which is not read"},
      {with([](auto& s) { s.depth = 4; }), "offset 24: "},
      {with([](auto& s) { s.dx10 = true; s.dxgiFormat = 71; s.arraySize = 3; }),
       "offset 140: a texture array of 3 textures, which is not read"},
      {with([](auto& s) { s.dx10 = true; s.dxgiFormat = 71; s.dimension = 4; }), "a volume texture"},
      {bc7, "offset 128: DXGI format 98 is not BC1, BC2, BC3 or RGBA8"},
      {bc7.substr(0, 140), "inside the DX10 header"},
      {"", "fewer than"},
      {badMagic, "offset 0: "},
      {fixture::dds(8, 8, 0, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6), ""},
      {fixture::randomBytes(4096, 11), ""},
  };
  for (const auto& [bytes, problem] : cases) {
    image::DdsTexture texture;
    std::string error;
    EXPECT_FALSE(readDds(bytes, texture, error)) << problem;
    EXPECT_NE(error.find(problem), std::string::npos) << error;
  }
}

TEST(DdsReader, CubeMapsAsCommonToolsWriteThemLoad) {
  image::DdsTexture texture;
  std::string error;
  // Depth 1 with neither the depth flag nor the volume cap is a flat texture.
  fixture::DdsSpec depthOne;
  depthOne.depth = 1;
  depthOne.caps2 = fixture::kCaps2CubeAllFaces;
  depthOne.faces = 6;
  depthOne.mipCount = 4;
  ASSERT_TRUE(readDds(fixture::dds(depthOne), texture, error)) << error;
  EXPECT_TRUE(texture.cubeMap);
  EXPECT_EQ(texture.levels.size(), 24u);
  // Without the mip-map count flag the count field is not read: one level.
  fixture::DdsSpec noCountFlag = depthOne;
  noCountFlag.flags &= ~0x20000u;
  noCountFlag.mipCount = 1;
  std::string bytes = fixture::dds(noCountFlag);
  bytes[28] = 7;  // whatever the field holds
  ASSERT_TRUE(readDds(bytes, texture, error)) << error;
  EXPECT_EQ(texture.mipCount, 1u);
  EXPECT_EQ(texture.levels.size(), 6u);
  EXPECT_EQ(texture.levels.back().offset + texture.levels.back().size, bytes.size());
}

// One row per way a format is named: a four-character code of each block size,
// each mask layout, and a DX10 block and pixel format.
TEST(DdsReader, TwoDimensionalTexturesInEveryFormatLayOutTheirLevels) {
  struct Case {
    const char* name;
    fixture::DdsSpec spec;
    image::DdsPixels pixels;
    std::size_t firstLevelBytes;  // of a 16 x 8 texture
  };
  auto compressed = [](u32 fourCc, u32 blockBytes) {
    fixture::DdsSpec spec;
    spec.fourCc = fourCc;
    spec.unitBytes = blockBytes;
    return spec;
  };
  auto uncompressed = [](u32 bits, u32 red, u32 blue, bool alpha) {
    fixture::DdsSpec spec;
    spec.pixelFlags = 0x40 | (alpha ? 0x1 : 0);
    spec.rgbBits = bits;
    spec.masks[0] = red;
    spec.masks[1] = 0xFF00;
    spec.masks[2] = blue;
    spec.masks[3] = alpha ? 0xFF000000 : 0;
    spec.compressed = false;
    spec.unitBytes = bits / 8;
    return spec;
  };
  auto dx10 = [](u32 format, bool blocks, u32 unit) {
    fixture::DdsSpec spec;
    spec.dx10 = true;
    spec.dxgiFormat = format;
    spec.compressed = blocks;
    spec.unitBytes = unit;
    return spec;
  };
  const Case cases[] = {
      {"DXT1", compressed(fixture::kFourCcDxt1, 8), image::DdsPixels::Dxt1, 64},
      {"DXT5", compressed(fixture::kFourCcDxt5, 16), image::DdsPixels::Dxt5, 128},
      {"BGR 24", uncompressed(24, 0xFF0000, 0xFF, false), image::DdsPixels::Bgr8, 384},
      {"BGRX 32", uncompressed(32, 0xFF0000, 0xFF, false), image::DdsPixels::Bgra8, 512},
      {"RGBA 32", uncompressed(32, 0xFF, 0xFF0000, true), image::DdsPixels::Rgba8, 512},
      {"DX10 BC3", dx10(77, true, 16), image::DdsPixels::Dxt5, 128},
      {"DX10 RGBA8", dx10(28, false, 4), image::DdsPixels::Rgba8, 512},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.name);
    c.spec.width = 16;
    c.spec.height = 8;
    c.spec.mipCount = 3;
    const std::string bytes = fixture::dds(c.spec);
    image::DdsTexture texture;
    std::string error;
    ASSERT_TRUE(readDds(bytes, texture, error)) << error;
    EXPECT_FALSE(texture.cubeMap);
    EXPECT_EQ(texture.pixels, c.pixels);
    ASSERT_EQ(texture.levels.size(), 3u);
    EXPECT_EQ(texture.levels[0].offset, c.spec.dx10 ? 148u : 128u);
    EXPECT_EQ(texture.levels[0].size, c.firstLevelBytes);
    EXPECT_EQ(texture.levels[2].width, 4u);
    EXPECT_EQ(texture.levels[2].offset + texture.levels[2].size, bytes.size());
    EXPECT_FALSE(readDds(bytes.substr(0, bytes.size() - 1), texture, error));
  }
}

namespace {

std::string bytesOf(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

Rgba pixelAt(const Tga& tga, u32 rowPixels, u32 x, u32 y) {
  const u32 bytes = tga.header.bitsPerPixel / 8;
  const u8* p = tga.pixels.data() + (static_cast<std::size_t>(y) * rowPixels + x) * bytes;
  return {p[0], p[1], p[2], bytes == 4 ? p[3] : u8{255}};
}

}  // namespace

TEST(TgaReader, GrayColourMappedAndSixteenBitImagesBecomeRgbOrRgba) {
  const std::string map24 = bytesOf({3, 2, 1, 30, 20, 10});  // entries 5 and 6 as B, G, R
  const std::string mapped = fixture::tgaHeader(1, 1, 5, 2, 24, 3, 1, 8, 3) + map24 + bytesOf({5, 6, 5});
  const std::string grayAlpha = fixture::tgaHeader(11, 0, 0, 0, 0, 2, 2, 16) + bytesOf({130, 90, 20, 0, 7, 8});
  const std::string packed = fixture::tgaHeader(9, 1, 0, 2, 32, 3, 1, 8) + bytesOf({3, 2, 1, 77, 30, 20, 10, 88}) +
                             bytesOf({129, 1, 0, 0});  // a run of two, then a raw packet of one
  const std::string rgb16 = fixture::tgaHeader(2, 0, 0, 0, 0, 2, 1, 16) + bytesOf({0x10, 0x7C, 0xE1, 0x03});
  struct Case {
    const char* name;
    std::string bytes;
    u32 bits, width, x, y;
    Rgba pixel;
  };
  const Case cases[] = {
      {"type 3 gray", fixture::tgaHeader(3, 0, 0, 0, 0, 2, 2, 8) + bytesOf({0, 50, 100, 255}), 24, 2, 1, 0, {50, 50, 50, 255}},
      {"type 11 gray and alpha, a run", grayAlpha, 32, 2, 0, 1, {90, 90, 90, 20}},
      {"type 11 gray and alpha, raw", grayAlpha, 32, 2, 1, 1, {7, 7, 7, 8}},
      {"map from its first index after an identifier", mapped, 24, 3, 0, 0, {1, 2, 3, 255}},
      {"type 9 with a 32-bit map, run", packed, 32, 3, 1, 0, {10, 20, 30, 88}},
      {"type 9 with a 32-bit map, raw", packed, 32, 3, 2, 0, {1, 2, 3, 77}},
      {"16-bit map entry A1 R5 G5 B5", fixture::tgaHeader(1, 1, 0, 1, 16, 1, 1, 8) + bytesOf({0x00, 0x7C, 0}), 24, 1, 0, 0,
       {255, 0, 0, 255}},
      {"X1 R5 G5 B5 (31, 0, 16)", rgb16, 24, 2, 0, 0, {255, 0, 132, 255}},
      {"X1 R5 G5 B5 (0, 31, 1)", rgb16, 24, 2, 1, 0, {0, 255, 8, 255}},
  };
  for (const Case& c : cases) {
    const Tga tga = readTga(c.bytes);
    ASSERT_TRUE(tga.ok) << c.name << ": " << tga.error;
    EXPECT_EQ(tga.header.bitsPerPixel, c.bits) << c.name;
    EXPECT_EQ(pixelAt(tga, c.width, c.x, c.y), c.pixel) << c.name;
  }
  Tga bad = readTga(fixture::tgaHeader(1, 1, 5, 2, 24, 3, 1, 8) + map24 + bytesOf({5, 7, 5}));
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.error, "offset 25: the colour index of pixel 1 is outside the colour map");
  EXPECT_FALSE(readTga(fixture::tgaHeader(1, 1, 0, 200, 24, 1, 1, 8) + map24).ok) << "a map past the file's end";
}
