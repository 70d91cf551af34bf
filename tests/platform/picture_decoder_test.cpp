// Picture decoding: damaged JPEGs refused with the decoder's reason, sizes a file
// cannot back refused before they are allocated, and every BMP depth and header
// kind giving the pixels stored.
#include "platform/picture_decoder.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

#include "support/image_fixtures.h"
#include "support/temp_dir.h"

namespace {

using fixture::Rgba;

bool decode(const std::vector<u8>& bytes, platform::DecodedPicture& picture, std::string& error) {
  // Exactly sized on the heap, so a sanitized build sees any read past the file.
  const std::unique_ptr<u8[]> exact(new u8[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), exact.get());
  return platform::decodePicture(exact.get(), bytes.size(), picture, error);
}

std::vector<u8> bytesOf(const std::string& text) { return std::vector<u8>(text.begin(), text.end()); }

std::string raw(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

Rgba rgbAt(const platform::DecodedPicture& picture, u32 x, u32 y) {
  const std::size_t at = static_cast<std::size_t>(y) * picture.width + x;
  const u8* p = picture.rgb.data() + at * 3;
  return {p[0], p[1], p[2], picture.alpha.empty() ? u8{255} : picture.alpha[at]};
}

// The bytes of a JPEG our own writer makes of a picture in one colour.
std::vector<u8> ourJpeg(u32 width, u32 height, Rgba colour) {
  TempDir dir;
  std::vector<u8> rgb;
  for (u32 i = 0; i < width * height; ++i) rgb.insert(rgb.end(), colour.begin(), colour.begin() + 3);
  const std::string path = (dir.path() / "ours.jpg").string();
  EXPECT_TRUE(platform::writeJpeg(path, width, height, rgb.data(), 90));
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Rewrites the size in the JPEG's frame header.
void claimSize(std::vector<u8>& jpeg, u16 width, u16 height) {
  for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<u8>(height >> 8);
      jpeg[i + 6] = static_cast<u8>(height);
      jpeg[i + 7] = static_cast<u8>(width >> 8);
      jpeg[i + 8] = static_cast<u8>(width);
      return;
    }
  }
  ADD_FAILURE() << "no frame header";
}

// Start of image, then one table-definition segment holding one AC table per
// entry of `counts`, each of its sixteen code counts equal to that entry.
std::vector<u8> jpegWithHuffmanTables(const std::vector<u8>& counts) {
  std::size_t length = 2;
  for (const u8 count : counts) length += 17 + count * 16u;
  std::vector<u8> file = {0xFF, 0xD8, 0xFF, 0xC4, static_cast<u8>(length >> 8), static_cast<u8>(length)};
  for (std::size_t t = 0; t < counts.size(); ++t) {
    file.push_back(static_cast<u8>(0x10 | t));
    for (int i = 0; i < 16; ++i) file.push_back(counts[t]);
    for (int i = 0; i < counts[t] * 16; ++i) file.push_back(0x01);
  }
  file.push_back(0xFF);
  file.push_back(0xD9);
  return file;
}

}  // namespace

TEST(PictureDecoderJpeg, HuffmanTablesOfMoreThan256CodesAreRefusedWithTheReason) {
  // Found by fuzzing an earlier decoder, which wrote past its tables for these: a
  // table cut off by the end (ten counts of 30, then nothing), and one after a frame.
  std::vector<u8> cut = {0xFF, 0xD8, 0xFF, 0xC4, 0x01, 0x00, 0x10};
  cut.insert(cut.end(), 10, 30);
  std::vector<u8> framed = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11,
                            0x00, 0xFF, 0xC4, 0x00, 0x13, 0x00};
  framed.insert(framed.end(), 14, 0);
  for (const auto& bytes : {jpegWithHuffmanTables({32}), jpegWithHuffmanTables({1, 17}), cut, framed}) {
    platform::DecodedPicture picture;
    std::string error;
    EXPECT_FALSE(decode(bytes, picture, error));
    EXPECT_NE(error.find("Huffman table"), std::string::npos) << error;
    EXPECT_EQ(picture.width, 0u);
  }
  // A BMP whose pixels hold FF C4 FF is not taken for a JPEG.
  const std::string bmp = fixture::bmp(2, 2, 24, [](u32, u32) { return Rgba{0xFF, 0xC4, 0xFF, 255}; });
  platform::DecodedPicture picture;
  std::string error;
  EXPECT_TRUE(decode(bytesOf(bmp), picture, error)) << error;
}

TEST(PictureDecoderJpeg, AScanNamingATableNeverDefinedDecodesTheSameEveryTime) {
  // Found by fuzzing: an earlier decoder searched such a table's codes past its
  // arrays, with whatever the memory held.
  std::ifstream in("fuzz/corpus/picture/finding-scan-with-undefined-huffman-table.jpg", std::ios::binary);
  const std::vector<u8> bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(bytes.size(), 682u);
  platform::DecodedPicture first, second;
  std::string firstError, secondError;
  const bool firstResult = decode(bytes, first, firstError);
  std::vector<u8> clutter(1 << 16, 0xA5);  // leaves different bytes in freed memory
  EXPECT_EQ(decode(bytes, second, secondError), firstResult);
  EXPECT_EQ(firstError, secondError);
  EXPECT_EQ(first.rgb, second.rgb);
}

TEST(PictureDecoderJpeg, OurOwnJpegsDecodeEvenWithoutTheirEndMarker) {
  std::vector<u8> bytes = ourJpeg(32, 16, {200, 0, 0, 255});
  ASSERT_EQ(bytes[bytes.size() - 2], 0xFF);
  ASSERT_EQ(bytes.back(), 0xD9);
  bytes.resize(bytes.size() - 2);
  platform::DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(decode(bytes, picture, error)) << error;
  EXPECT_EQ(picture.width, 32u);
  EXPECT_EQ(picture.height, 16u);
  EXPECT_GT(rgbAt(picture, 5, 5)[0], 180);
  EXPECT_LT(rgbAt(picture, 5, 5)[1], 30);
}

TEST(PictureDecoderJpeg, ProgressiveGreyAndInkPicturesGiveTheirColours) {
  // 16 x 16 of one colour, written by libjpeg-turbo itself in the three kinds our
  // writer never makes. Inks are stored inverted as Adobe writes them: full cyan,
  // magenta and yellow "ink" with full black is white, no cyan is no red.
  struct Case {
    int pixelFormat, subsampling, flags;
    std::vector<u8> pixel;
    Rgba expected;
  };
  const Case cases[] = {{TJPF_RGB, TJSAMP_420, TJFLAG_PROGRESSIVE, {200, 40, 90}, {200, 40, 90, 255}},
                        {TJPF_GRAY, TJSAMP_GRAY, 0, {77}, {77, 77, 77, 255}},
                        {TJPF_CMYK, TJSAMP_444, 0, {0, 255, 255, 255}, {0, 255, 255, 255}},
                        {TJPF_CMYK, TJSAMP_444, 0, {255, 255, 255, 128}, {128, 128, 128, 255}}};
  for (const Case& c : cases) {
    std::vector<u8> pixels;
    for (int i = 0; i < 16 * 16; ++i) pixels.insert(pixels.end(), c.pixel.begin(), c.pixel.end());
    tjhandle handle = tjInitCompress();
    unsigned char* pJpeg = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(handle, pixels.data(), 16, 0, 16, c.pixelFormat, &pJpeg, &size, c.subsampling, 95, c.flags), 0)
        << tjGetErrorStr2(handle);
    const std::vector<u8> bytes(pJpeg, pJpeg + size);
    tjFree(pJpeg);
    tjDestroy(handle);
    platform::DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(decode(bytes, picture, error)) << error;
    ASSERT_EQ(picture.width, 16u);
    const Rgba got = rgbAt(picture, 7, 7);
    for (int channel = 0; channel < 3; ++channel) EXPECT_NEAR(got[channel], c.expected[channel], 3) << channel;
  }
}

TEST(PictureDecoderJpeg, SizesTheFileCannotBackAreRefusedBeforeTheyAreAllocated) {
  platform::DecodedPicture picture;
  std::string error;
  // 8000 x 8000 in a few hundred bytes: far more blocks than bits.
  std::vector<u8> tiny = ourJpeg(16, 16, {128, 128, 128, 255});
  claimSize(tiny, 8000, 8000);
  EXPECT_FALSE(decode(tiny, picture, error));
  EXPECT_NE(error.find("too short for a 8000 x 8000 picture"), std::string::npos) << error;
  // 16384 x 16384 with a bit for every block: the decoder once took 2.6 GB for it.
  std::vector<u8> padded = ourJpeg(16, 16, {128, 128, 128, 255});
  claimSize(padded, 16384, 16384);
  padded.resize(padded.size() + (600u << 10), 0);
  EXPECT_FALSE(decode(padded, picture, error));
  EXPECT_EQ(error, "picture size 16384 x 16384 is outside 1..16384 a side or above 67108864 pixels");
}

TEST(PictureDecoderFormats, FormatsOtherThanBmpJpegAndPngAreNotTaken) {
  // A few bytes that stb_image would read as a run-length TGA of 8224 x 8224 pixels.
  std::vector<u8> tgaLike = {0x00, 0x00, 0x0a, 0x00, 0x5b, 0x31, 0xff, 0xd8, 0x55, 0x56, 0x57, 0x58};
  tgaLike.resize(121, 0x20);
  platform::DecodedPicture refused;
  std::string error;
  EXPECT_FALSE(decode(tgaLike, refused, error));
  EXPECT_EQ(error, "not a BMP, JPEG or PNG picture");
  EXPECT_EQ(refused.width, 0u);
}

TEST(PictureDecoderBmp, RunLengthEightAndFourBitPicturesDecode) {
  const std::vector<Rgba> palette = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
  // 4 x 3, bottom row first: a run of 4 reds; an end of line; an absolute run of
  // 3 (padded to a whole word) and an end of line; a green, a move right by one,
  // a green, and the end.
  fixture::BmpSpec rle8;
  rle8.width = 4;
  rle8.height = 3;
  rle8.bits = 8;
  rle8.compression = 1;
  rle8.palette = palette;
  rle8.pixels = raw({4, 1, 0, 0, 0, 3, 2, 3, 2, 0, 0, 0, 1, 2, 0, 2, 1, 0, 1, 2, 0, 1});
  platform::DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(decode(bytesOf(fixture::bmp(rle8)), picture, error)) << error;
  ASSERT_EQ(picture.height, 3u);
  EXPECT_TRUE(picture.alpha.empty());
  const Rgba black{0, 0, 0, 255}, red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255};
  EXPECT_EQ(rgbAt(picture, 3, 2), red) << "the bottom row";
  EXPECT_EQ(rgbAt(picture, 0, 1), green);
  EXPECT_EQ(rgbAt(picture, 1, 1), blue);
  EXPECT_EQ(rgbAt(picture, 3, 1), black) << "nothing drawn: palette entry 0";
  EXPECT_EQ(rgbAt(picture, 0, 0), green);
  EXPECT_EQ(rgbAt(picture, 1, 0), black) << "moved over";
  EXPECT_EQ(rgbAt(picture, 2, 0), green);

  // RLE4, 6 x 1: a run of 3 alternating 1 and 2, then 3 literal pixels 3, 1, 2.
  fixture::BmpSpec rle4 = rle8;
  rle4.width = 6;
  rle4.height = 1;
  rle4.bits = 4;
  rle4.compression = 2;
  rle4.pixels = raw({3, 0x12, 0, 3, 0x31, 0x20, 0, 1});
  ASSERT_TRUE(decode(bytesOf(fixture::bmp(rle4)), picture, error)) << error;
  const Rgba row[6] = {red, green, red, blue, red, green};
  for (u32 x = 0; x < 6; ++x) EXPECT_EQ(rgbAt(picture, x, 0), row[x]) << x;
  // The same run-length coding behind an OS/2 2.x header (64 bytes), 3 x 2.
  fixture::BmpSpec os2 = rle8;
  os2.headerSize = 64;
  os2.width = 3;
  os2.height = 2;
  os2.pixels = raw({3, 2, 0, 0, 3, 3, 0, 1});
  ASSERT_TRUE(decode(bytesOf(fixture::bmp(os2)), picture, error)) << error;
  EXPECT_EQ(rgbAt(picture, 1, 1), green);
  EXPECT_EQ(rgbAt(picture, 1, 0), blue);

  // An end-of-picture mark claiming a huge blank picture in a few bytes is refused
  // before it is allocated (found by fuzzing); so is data that stops early.
  const std::pair<fixture::BmpSpec, const char*> refused[] = {
      {[&] { auto s = rle8; s.width = s.height = 4000; s.pixels = raw({0, 1}); return s; }(),
       "is too short for a 4000 x 4000 picture"},
      {[&] { auto s = rle8; s.pixels = raw({4, 1, 0, 0}); return s; }(), "ends before its end-of-picture mark"},
      {[&] { auto s = rle8; s.pixels = raw({0, 200, 1, 2}); return s; }(), "literal pixels"},
  };
  for (const auto& [spec, problem] : refused) {
    EXPECT_FALSE(decode(bytesOf(fixture::bmp(spec)), picture, error));
    EXPECT_NE(error.find(problem), std::string::npos) << error;
  }
}

TEST(PictureDecoderBmp, EveryDepthAndHeaderKindGivesThePixelsStored) {
  // 2 x 2 pictures whose top row is blue, red and bottom row red, blue.
  struct Kind {
    u32 headerSize, bits, compression;
    std::vector<u32> masks;
    bool topDown;
    std::string pixels;
  };
  const Kind kinds[] = {
      {40, 1, 0, {}, false, raw({0x40, 0, 0, 0, 0x80, 0, 0, 0})},
      {40, 4, 0, {}, false, raw({0x01, 0, 0, 0, 0x10, 0, 0, 0})},
      {40, 8, 0, {}, false, raw({0, 1, 0, 0, 1, 0, 0, 0})},
      {12, 8, 0, {}, false, raw({0, 1, 0, 0, 1, 0, 0, 0})},
      {40, 16, 0, {}, false, raw({0x00, 0x7C, 0x1F, 0x00, 0x1F, 0x00, 0x00, 0x7C})},
      {40, 16, 3, {0xF800, 0x07E0, 0x001F}, false, raw({0x00, 0xF8, 0x1F, 0x00, 0x1F, 0x00, 0x00, 0xF8})},
      {40, 24, 0, {}, false, raw({0, 0, 255, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0})},
      {12, 24, 0, {}, false, raw({0, 0, 255, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0})},
      {40, 24, 0, {}, true, raw({255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0})},
      {40, 32, 3, {0xFF0000, 0xFF00, 0xFF}, false, raw({0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 0})},
  };
  const std::vector<u8> expected = {0, 0, 255, 255, 0, 0, 255, 0, 0, 0, 0, 255};
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(std::to_string(kind.headerSize) + "-byte header, " + std::to_string(kind.bits) + " bits" +
                 (kind.topDown ? ", top-down" : ""));
    fixture::BmpSpec spec{kind.headerSize, 2, kind.topDown ? -2 : 2, kind.bits, kind.compression, {}, kind.masks,
                          kind.pixels};
    if (kind.bits <= 8) {
      spec.palette.assign(1u << kind.bits, Rgba{});
      spec.palette[0] = {255, 0, 0, 0};
      spec.palette[1] = {0, 0, 255, 0};
    }
    platform::DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(decode(bytesOf(fixture::bmp(spec)), picture, error)) << error;
    ASSERT_EQ(picture.width, 2u);
    ASSERT_EQ(picture.height, 2u);
    EXPECT_EQ(picture.rgb, expected);
  }
}

TEST(PictureDecoderBmp, AlphaComesFromTheAlphaMaskOfNewerHeaders) {
  // Bit fields with the alpha in the lowest byte, in each newer header: stored
  // little-endian as A, B, G, R.
  for (const u32 headerSize : {56u, 108u, 124u}) {
    fixture::BmpSpec spec;
    spec.headerSize = headerSize;
    spec.width = 2;
    spec.bits = 32;
    spec.compression = 3;
    spec.masks = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
    spec.pixels = raw({0x40, 0x30, 0x20, 0x10, 0xFF, 0x00, 0x00, 0xFF});
    platform::DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(decode(bytesOf(fixture::bmp(spec)), picture, error)) << error;
    EXPECT_EQ(rgbAt(picture, 0, 0), (Rgba{0x10, 0x20, 0x30, 0x40})) << headerSize;
    EXPECT_EQ(rgbAt(picture, 1, 0), (Rgba{0xFF, 0, 0, 0xFF})) << headerSize;
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
  const std::string cut = fixture::bmp(12, 6, 24, [](u32, u32) { return Rgba{}; });
  EXPECT_FALSE(decode(bytesOf(cut.substr(0, cut.size() - 1)), picture, error));
  EXPECT_NE(error.find("the BMP needs"), std::string::npos) << error;
}
