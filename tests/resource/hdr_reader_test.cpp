// Radiance HDR reading: headers accepted and refused, every resolution order, flat
// scanlines with repeat markers, and data that has no sound reading.
#include "resource/hdr_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/image_fixtures.h"

namespace {

using fixture::Rgba;

const std::string kProgram = "RADIANCE";
const std::string kFormat = "32-bit_rle_rgbe";

struct Decoded {
  bool ok = false;
  std::string error;
  image::HdrHeader header;
  std::vector<u8> pixels;  // rowPixels x rowCount RGBE
};

Decoded decode(const std::string& bytes, u32 rowPixels, u32 rowCount) {
  Decoded result;
  const u8* data = reinterpret_cast<const u8*>(bytes.data());
  if (!image::readHdrHeader(data, bytes.size(), result.header, result.error)) return result;
  result.pixels.assign(static_cast<std::size_t>(rowPixels) * rowCount * 4, 0xEE);
  result.ok = image::readHdrScanlines(data, bytes.size(), result.header, result.pixels.data(), rowPixels, rowCount,
                                      result.error);
  return result;
}

Rgba at(const Decoded& d, u32 rowPixels, u32 x, u32 y) {
  const u8* p = d.pixels.data() + (static_cast<std::size_t>(y) * rowPixels + x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

bool headerOk(const std::string& bytes, image::HdrHeader& header, std::string& error) {
  return image::readHdrHeader(reinterpret_cast<const u8*>(bytes.data()), bytes.size(), header, error);
}

// Room for the scanlines a header claims, so only the header is judged.
const std::string kRoom(1 << 16, '\0');

}  // namespace

TEST(HdrHeader, BothSignaturesCommentsAndAMissingFormatLineAreRead) {
  image::HdrHeader header;
  std::string error;
  ASSERT_TRUE(headerOk("#?RADIANCE\r\n# a comment\nEXPOSURE=1.0\nFORMAT=32-bit_rle_rgbe\r\n\r\n-Y 256 +X 512\n" + kRoom,
                       header, error))
      << error;
  EXPECT_EQ(header.xSize, 512u);
  EXPECT_EQ(header.ySize, 256u);
  EXPECT_EQ(header.scanlineLength, 512u);
  EXPECT_EQ(header.scanlineCount, 256u);
  ASSERT_TRUE(headerOk(fixture::hdrHeader("RGBE", kFormat, "+X 16 -Y  9") + kRoom, header, error)) << error;
  EXPECT_TRUE(headerOk("#?RADIANCE\nEXPOSURE=2\n\n-Y 4 +X 8\n" + kRoom, header, error)) << error;
  EXPECT_EQ(header.xSize, 8u);
}

TEST(HdrHeader, RefusesWrongProgramFormatAndResolution) {
  const std::pair<std::string, const char*> cases[] = {
      {fixture::hdrHeader("RADIANCE2", kFormat, "-Y 4 +X 4") + kRoom,
       "program type \"RADIANCE2\" is not \"RADIANCE\" or \"RGBE\""},
      {fixture::hdrHeader(kProgram, "32-bit_rle_xyze", "-Y 4 +X 4") + kRoom, "format"},
      {fixture::hdrHeader(kProgram, kFormat, "-H 4 +X 4"), "no X or no Y"},
      {fixture::hdrHeader(kProgram, kFormat, "-Y 0 +X 4"), ""},
      {"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n", "resolution line is missing"},
      {"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n", "blank line"},
      {fixture::randomBytes(4096, 7), ""},
  };
  for (const auto& [bytes, problem] : cases) {
    image::HdrHeader header;
    std::string error;
    EXPECT_FALSE(headerOk(bytes, header, error)) << problem;
    EXPECT_NE(error.find(problem), std::string::npos) << error;
  }
}

TEST(HdrScanlines, FlatScanlinesWithRepeatMarkers) {
  // Short scanlines are always flat; longer ones are flat when they do not start 2, 2.
  std::string bytes = fixture::hdrHeader(kProgram, kFormat, "-Y 2 +X 300");
  // 1 + 255 repeats + 1 + 43 repeats = 300 pixels.
  const std::vector<Rgba> first = {{9, 8, 7, 129}, {1, 1, 1, 255}, {5, 6, 7, 128}, {1, 1, 1, 43}};
  bytes += fixture::hdrFlatScanline(first);
  // A second scanline starting (2, x, ...) with x != 2 is flat from its first pixel.
  std::vector<Rgba> second = {{2, 3, 4, 130}, {1, 1, 1, 1}, {1, 1, 1, 1}};  // 1 + 1 + (1 << 8) = 258
  second.push_back({0, 0, 0, 0});
  second.push_back({1, 1, 1, 41});  // + 1 + 41 = 300
  bytes += fixture::hdrFlatScanline(second);
  const Decoded d = decode(bytes, 512, 2);
  ASSERT_TRUE(d.ok) << d.error;
  EXPECT_EQ(at(d, 512, 0, 0), (Rgba{9, 8, 7, 129}));
  EXPECT_EQ(at(d, 512, 256, 0), (Rgba{5, 6, 7, 128}));
  EXPECT_EQ(at(d, 512, 257, 1), (Rgba{2, 3, 4, 130}));
  EXPECT_EQ(at(d, 512, 258, 1), (Rgba{0, 0, 0, 0}));

  std::string tiny = fixture::hdrHeader(kProgram, kFormat, "-Y 1 +X 3");
  tiny += fixture::hdrFlatScanline({{2, 2, 0, 3}, {7, 7, 7, 7}, {1, 1, 1, 1}});
  const Decoded small = decode(tiny, 4, 1);
  ASSERT_TRUE(small.ok) << small.error;
  EXPECT_EQ(at(small, 4, 0, 0), (Rgba{2, 2, 0, 3})) << "a 3-pixel scanline is flat even when it starts 2, 2";
  EXPECT_EQ(at(small, 4, 2, 0), (Rgba{7, 7, 7, 7}));
}

TEST(HdrScanlines, RefusesDataWithoutASoundReading) {
  const std::string header = fixture::hdrHeader(kProgram, kFormat, "-Y 1 +X 16");
  const std::string planar = header + std::string("\x02\x02\x00\x10", 4);
  // Each case carries a few bytes more, so the header's size check lets it through.
  const std::string room(8, '\x09');
  const std::pair<std::string, const char*> cases[] = {
      {header + fixture::hdrFlatScanline({{1, 1, 1, 15}}) + room, "no pixel before it"},
      {header + fixture::hdrFlatScanline({{5, 5, 5, 5}, {1, 1, 1, 16}}), "past the scanline's end"},
      {planar + std::string("\x91\x07", 2) + room, "passes the scanline's end"},  // a run of 17 in 16 pixels
      {planar + std::string("\x11", 1) + std::string(17, '\x05'), ""},
      {header + std::string("\x02\x02\x00\x11", 4) + room, "length field"},
  };
  for (const auto& [bytes, problem] : cases) {
    const Decoded d = decode(bytes, 16, 1);
    EXPECT_FALSE(d.ok) << problem;
    EXPECT_NE(d.error.find(problem), std::string::npos) << d.error;
  }
  // A 16 x 40 picture does not fit a 16 x 32 buffer.
  const Decoded unfit = decode(fixture::hdrHeader(kProgram, kFormat, "+X 16 -Y 40") + kRoom, 16, 32);
  EXPECT_FALSE(unfit.ok);
  EXPECT_NE(unfit.error.find("do not fit"), std::string::npos) << unfit.error;
}

TEST(HdrHeader, ClaimedSizeIsCheckedAgainstTheBytesPresent) {
  // A 53-byte file claiming 16384 x 16384 once took a gigabyte before it was refused.
  image::HdrHeader header;
  std::string error;
  const std::string claim = fixture::hdrHeader(kProgram, kFormat, "-Y 16384 +X 16384");
  EXPECT_FALSE(headerOk(claim, header, error));
  EXPECT_NE(error.find("offset " + std::to_string(claim.size()) + ": the file holds 0 bytes of scanlines"),
            std::string::npos)
      << error;
  // Exactly enough for the tightest coding of every scanline passes the header:
  // 256 flat scanlines of 512 pixels, one pixel and two repeat markers each.
  std::string all = fixture::hdrHeader(kProgram, kFormat, "-Y 256 +X 512");
  for (int i = 0; i < 256; ++i) all += fixture::hdrFlatScanline({{1, 2, 3, 4}, {1, 1, 1, 255}, {1, 1, 1, 1}});
  EXPECT_TRUE(headerOk(all, header, error)) << error;
  EXPECT_FALSE(headerOk(all.substr(0, all.size() - 1), header, error));
  // Scanlines of 40 pixels take at least 8 bytes (a pixel and one marker).
  const std::string forty = fixture::hdrHeader(kProgram, kFormat, "-Y 2 +X 40");
  EXPECT_TRUE(headerOk(forty + std::string(16, '\x07'), header, error)) << error;
  EXPECT_FALSE(headerOk(forty + std::string(15, '\x07'), header, error));
  // Flat scanlines of one pixel and repeat markers are the tightest for long lines.
  std::string flat = fixture::hdrHeader(kProgram, kFormat, "-Y 2 +X 600");
  for (int i = 0; i < 2; ++i) {
    flat += fixture::hdrFlatScanline({{9, 9, 9, 130}, {1, 1, 1, 87}, {1, 1, 1, 2}});  // 1 + 87 + 512
  }
  const Decoded d = decode(flat, 1024, 2);
  ASSERT_TRUE(d.ok) << d.error;
  EXPECT_EQ(at(d, 1024, 599, 1), (Rgba{9, 9, 9, 130}));
}

TEST(HdrScanlines, SignsAndOrderOfTheResolutionLinePlaceThePictureUpright) {
  // A 3 x 2 picture written as rows and as columns, each in the standard order
  // and with both directions reversed; every one must decode upright.
  auto pixel = [](u32 x, u32 y) { return Rgba{static_cast<u8>(10 + x), static_cast<u8>(20 + y), 0, 128}; };
  struct Orientation {
    const char* line;
    // Where position i of scanline s lies in the picture.
    u32 (*x)(u32 s, u32 i);
    u32 (*y)(u32 s, u32 i);
    u32 scanlines;
    u32 length;
  };
  const Orientation orientations[] = {
      {"-Y 2 +X 3", [](u32, u32 i) { return i; }, [](u32 s, u32) { return s; }, 2, 3},
      {"+Y 2 -X 3", [](u32, u32 i) { return 2 - i; }, [](u32 s, u32) { return 1 - s; }, 2, 3},
      {"+X 3 -Y 2", [](u32 s, u32) { return s; }, [](u32, u32 i) { return i; }, 3, 2},
      {"-X 3 +Y 2", [](u32 s, u32) { return 2 - s; }, [](u32, u32 i) { return 1 - i; }, 3, 2},
  };
  for (const Orientation& o : orientations) {
    SCOPED_TRACE(o.line);
    std::string bytes = fixture::hdrHeader(kProgram, kFormat, o.line);
    for (u32 s = 0; s < o.scanlines; ++s) {
      std::vector<Rgba> line;
      for (u32 i = 0; i < o.length; ++i) line.push_back(pixel(o.x(s, i), o.y(s, i)));
      bytes += fixture::hdrFlatScanline(line);
    }
    const Decoded d = decode(bytes, 4, 2);
    ASSERT_TRUE(d.ok) << d.error;
    for (u32 y = 0; y < 2; ++y) {
      for (u32 x = 0; x < 3; ++x) EXPECT_EQ(at(d, 4, x, y), pixel(x, y)) << x << "," << y;
    }
    EXPECT_EQ(at(d, 4, 3, 0), (Rgba{0xEE, 0xEE, 0xEE, 0xEE}));
  }
}
