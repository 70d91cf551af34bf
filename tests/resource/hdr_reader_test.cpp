// Radiance HDR reading: headers accepted and refused, both resolution orders, run-length
// and flat scanlines with repeat markers, and data that has no sound reading.
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

std::vector<Rgba> gradientLine(u32 length, u32 row) {
  std::vector<Rgba> line;
  for (u32 x = 0; x < length; ++x) {
    // Long equal stretches and changing stretches, so both packet kinds appear.
    const u8 r = static_cast<u8>(x < length / 2 ? 10 : x);
    line.push_back({r, static_cast<u8>(row), static_cast<u8>(x ^ row), 130});
  }
  return line;
}

bool headerOk(const std::string& bytes, image::HdrHeader& header, std::string& error) {
  return image::readHdrHeader(reinterpret_cast<const u8*>(bytes.data()), bytes.size(), header, error);
}

}  // namespace

TEST(HdrHeader, StandardOrderGivesScanlinesOfTheXSize) {
  image::HdrHeader header;
  std::string error;
  ASSERT_TRUE(headerOk("#?RADIANCE\r\n# a comment\nEXPOSURE=1.0\nFORMAT=32-bit_rle_rgbe\r\n\r\n-Y 256 +X 512\n",
                       header, error))
      << error;
  EXPECT_EQ(header.xSize, 512u);
  EXPECT_EQ(header.ySize, 256u);
  EXPECT_EQ(header.scanlineLength, 512u);
  EXPECT_EQ(header.scanlineCount, 256u);
}

TEST(HdrHeader, XFirstExchangesLengthAndCount) {
  image::HdrHeader header;
  std::string error;
  ASSERT_TRUE(headerOk(fixture::hdrHeader(kProgram, kFormat, "+X 16 -Y  9"), header, error)) << error;
  EXPECT_EQ(header.xSize, 16u);
  EXPECT_EQ(header.ySize, 9u);
  EXPECT_EQ(header.scanlineLength, 9u);
  EXPECT_EQ(header.scanlineCount, 16u);
}

TEST(HdrHeader, RefusesWrongProgramFormatAndResolution) {
  image::HdrHeader header;
  std::string error;
  EXPECT_FALSE(headerOk(fixture::hdrHeader("RGBE", kFormat, "-Y 4 +X 4"), header, error));
  EXPECT_NE(error.find("RADIANCE"), std::string::npos) << error;
  EXPECT_FALSE(headerOk(fixture::hdrHeader(kProgram, "32-bit_rle_xyze", "-Y 4 +X 4"), header, error));
  EXPECT_NE(error.find("format"), std::string::npos) << error;
  EXPECT_FALSE(headerOk(fixture::hdrHeader(kProgram, kFormat, "-H 4 +X 4"), header, error));
  EXPECT_NE(error.find("no X or no Y"), std::string::npos) << error;
  EXPECT_FALSE(headerOk(fixture::hdrHeader(kProgram, kFormat, "-Y 0 +X 4"), header, error));
  EXPECT_FALSE(headerOk(fixture::hdrHeader(kProgram, kFormat, "-Y 4 +X 99999"), header, error));
  EXPECT_FALSE(headerOk("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n", header, error));
  EXPECT_NE(error.find("resolution line is missing"), std::string::npos) << error;
  EXPECT_FALSE(headerOk("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n", header, error));
  EXPECT_NE(error.find("blank line"), std::string::npos) << error;
  EXPECT_FALSE(headerOk("", header, error));
  EXPECT_FALSE(headerOk(fixture::randomBytes(4096, 7), header, error));
}

TEST(HdrScanlines, RunLengthScanlinesInBothResolutionOrders) {
  std::string yFirst = fixture::hdrHeader(kProgram, kFormat, "-Y 3 +X 40");
  std::string xFirst = fixture::hdrHeader(kProgram, kFormat, "+X 3 -Y 40");
  for (u32 row = 0; row < 3; ++row) {
    yFirst += fixture::hdrRunLengthScanline(gradientLine(40, row));
    xFirst += fixture::hdrRunLengthScanline(gradientLine(40, row));
  }
  const Decoded standard = decode(yFirst, 64, 4);
  ASSERT_TRUE(standard.ok) << standard.error;
  const Decoded exchanged = decode(xFirst, 64, 64);
  ASSERT_TRUE(exchanged.ok) << exchanged.error;
  for (u32 row = 0; row < 3; ++row) {
    const std::vector<Rgba> expected = gradientLine(40, row);
    for (u32 x = 0; x < 40; ++x) {
      EXPECT_EQ(at(standard, 64, x, row), expected[x]) << x << "," << row;
      EXPECT_EQ(at(exchanged, 64, x, row), expected[x]) << x << "," << row;
    }
  }
  EXPECT_EQ(at(standard, 64, 40, 0), (Rgba{0xEE, 0xEE, 0xEE, 0xEE})) << "nothing past the scanline is written";
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
  EXPECT_EQ(at(d, 512, 255, 0), (Rgba{9, 8, 7, 129}));
  EXPECT_EQ(at(d, 512, 256, 0), (Rgba{5, 6, 7, 128}));
  EXPECT_EQ(at(d, 512, 299, 0), (Rgba{5, 6, 7, 128}));
  EXPECT_EQ(at(d, 512, 257, 1), (Rgba{2, 3, 4, 130}));
  EXPECT_EQ(at(d, 512, 258, 1), (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(at(d, 512, 299, 1), (Rgba{0, 0, 0, 0}));

  std::string tiny = fixture::hdrHeader(kProgram, kFormat, "-Y 1 +X 3");
  tiny += fixture::hdrFlatScanline({{2, 2, 0, 3}, {7, 7, 7, 7}, {1, 1, 1, 1}});
  const Decoded small = decode(tiny, 4, 1);
  ASSERT_TRUE(small.ok) << small.error;
  EXPECT_EQ(at(small, 4, 0, 0), (Rgba{2, 2, 0, 3})) << "a 3-pixel scanline is flat even when it starts 2, 2";
  EXPECT_EQ(at(small, 4, 2, 0), (Rgba{7, 7, 7, 7}));
}

TEST(HdrScanlines, RefusesDataWithoutASoundReading) {
  const std::string header = fixture::hdrHeader(kProgram, kFormat, "-Y 1 +X 16");
  const Decoded markerFirst = decode(header + fixture::hdrFlatScanline({{1, 1, 1, 15}}), 16, 1);
  EXPECT_FALSE(markerFirst.ok);
  EXPECT_NE(markerFirst.error.find("no pixel before it"), std::string::npos) << markerFirst.error;

  const Decoded repeatTooLong = decode(header + fixture::hdrFlatScanline({{5, 5, 5, 5}, {1, 1, 1, 16}}), 16, 1);
  EXPECT_FALSE(repeatTooLong.ok);
  EXPECT_NE(repeatTooLong.error.find("past the scanline's end"), std::string::npos) << repeatTooLong.error;

  std::string runTooLong = header + std::string("\x02\x02\x00\x10", 4);
  runTooLong += std::string("\x91\x07", 2);  // a run of 17 in a 16-pixel plane
  const Decoded overrun = decode(runTooLong, 16, 1);
  EXPECT_FALSE(overrun.ok);
  EXPECT_NE(overrun.error.find("passes the scanline's end"), std::string::npos) << overrun.error;

  std::string literalTooLong = header + std::string("\x02\x02\x00\x10", 4) + std::string("\x11", 1) +
                               std::string(17, '\x05');
  EXPECT_FALSE(decode(literalTooLong, 16, 1).ok);

  std::string wrongLength = header + std::string("\x02\x02\x00\x11", 4);
  const Decoded mismatch = decode(wrongLength, 16, 1);
  EXPECT_FALSE(mismatch.ok);
  EXPECT_NE(mismatch.error.find("length field"), std::string::npos) << mismatch.error;

  // X first: scanlines of 40 pixels in a 16-wide buffer do not fit.
  const Decoded unfit = decode(fixture::hdrHeader(kProgram, kFormat, "+X 16 -Y 40"), 16, 64);
  EXPECT_FALSE(unfit.ok);
  EXPECT_NE(unfit.error.find("do not fit"), std::string::npos) << unfit.error;
}

TEST(HdrScanlines, TruncatedDataFailsAtEveryCut) {
  std::string bytes = fixture::hdrHeader(kProgram, kFormat, "-Y 2 +X 32");
  bytes += fixture::hdrRunLengthScanline(gradientLine(32, 0));
  bytes += fixture::hdrRunLengthScanline(gradientLine(32, 1));
  ASSERT_TRUE(decode(bytes, 32, 2).ok);
  const std::size_t headerSize = fixture::hdrHeader(kProgram, kFormat, "-Y 2 +X 32").size();
  for (std::size_t cut = headerSize; cut < bytes.size(); ++cut) {
    const Decoded d = decode(bytes.substr(0, cut), 32, 2);
    EXPECT_FALSE(d.ok) << "cut at " << cut;
    EXPECT_NE(d.error.find("ends"), std::string::npos) << d.error;
  }
  std::string flat = fixture::hdrHeader(kProgram, kFormat, "-Y 1 +X 4");
  flat += fixture::hdrFlatScanline({{4, 4, 4, 4}, {5, 5, 5, 5}, {6, 6, 6, 6}, {7, 7, 7, 7}});
  EXPECT_FALSE(decode(flat.substr(0, flat.size() - 1), 4, 1).ok);
}
