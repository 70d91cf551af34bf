// Texture loading with GL: pictures padded into power-of-two buffers with the colour
// key and BMP alpha, HDR converted at upload, TGA uploads, DDS files uploaded as
// stored, and sides beyond what the card takes refused.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/image_file.h"
#include "platform/picture_decoder.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "resource/texture_manager.h"
#include "support/gl_test_context.h"
#include "support/image_fixtures.h"
#include "support/temp_dir.h"

namespace {

using fixture::Rgba;

resTexture* load(const std::string& path) {
  return static_cast<resTexture*>(resourceManager::mpThis->getResource(path.c_str(), resTexture::DTI));
}

std::vector<u8> readBack(u32 id, u32 width, u32 height) {
  std::vector<u8> pixels(static_cast<std::size_t>(width) * height * 4, 0xCD);
  glBindTexture(GL_TEXTURE_2D, id);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return pixels;
}

Rgba pixelOf(const u8* pPixels, u32 rowPixels, u32 x, u32 y, u32 bytes = 4) {
  const u8* p = pPixels + (static_cast<std::size_t>(y) * rowPixels + x) * bytes;
  return {p[0], p[1], p[2], bytes == 4 ? p[3] : u8{255}};
}

bool near(const Rgba& a, const Rgba& b, int tolerance) {
  for (int c = 0; c < 4; ++c) {
    if (std::abs(int(a[c]) - int(b[c])) > tolerance) return false;
  }
  return true;
}

class TextureGl : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mContext.ok()) << mContext.error(); }
  GlTestContext mContext;
  TempDir mDir;
};

u32 uploaded(resTexture* pTexture) { return textureManager::mpThis->getTextureId(pTexture); }

}  // namespace

TEST_F(TextureGl, JpegIsPaddedTopLeftTopRowFirstWithItsScales) {
  // Quadrants: red, green / blue, white, in a 600 x 400 picture.
  std::vector<u8> rgb(600 * 400 * 3);
  const Rgba colours[4] = {{230, 30, 30, 255}, {40, 200, 40, 255}, {30, 30, 230, 255}, {250, 250, 250, 255}};
  for (u32 i = 0; i < 600 * 400; ++i) {
    const Rgba& c = colours[(i / 600 >= 200) * 2 + (i % 600 >= 300)];
    std::copy(c.begin(), c.begin() + 3, rgb.begin() + i * 3);
  }
  const std::string path = (mDir.path() / "picture.jpg").string();
  ASSERT_TRUE(platform::writeJpeg(path, 600, 400, rgb.data(), 95));
  resTexture* pTexture = load(path);
  ASSERT_NE(pTexture, nullptr);
  EXPECT_EQ(pTexture->getWidth(), 1024u);
  EXPECT_EQ(pTexture->getHeight(), 512u);
  EXPECT_EQ(pTexture->getFormat(), resTexture::FORMAT_RGBA);
  EXPECT_FLOAT_EQ(pTexture->getScaleU(), 0.5859375f);
  EXPECT_FLOAT_EQ(pTexture->getScaleV(), 0.78125f);
  const u8* pPixels = pTexture->getPixels();
  EXPECT_TRUE(near(pixelOf(pPixels, 1024, 100, 100), colours[0], 8));
  EXPECT_TRUE(near(pixelOf(pPixels, 1024, 500, 300), colours[3], 8));
  EXPECT_EQ(pixelOf(pPixels, 1024, 800, 100), (Rgba{0, 0, 0, 0})) << "right of the picture";
  EXPECT_EQ(pixelOf(pPixels, 1024, 100, 450), (Rgba{0, 0, 0, 0})) << "below the picture";
  const std::vector<u8> read = readBack(uploaded(pTexture), 1024, 512);
  EXPECT_EQ(0, std::memcmp(read.data(), pPixels, read.size())) << "texture row 0 is the picture's top";
  releaseResource(pTexture);
}

TEST_F(TextureGl, AlphaComesFromTheFileOrElseFullGreenIsTheColourKey) {
  // Pixel (0, 0) is full green (alpha 200 where the file has alpha), (1, 0) near green.
  auto pixel = [](u32 x, u32 y) -> Rgba {
    if (y == 0 && x < 2) return {0, static_cast<u8>(255 - x), 0, 200};
    return {static_cast<u8>(x * 50), 60, static_cast<u8>(y), static_cast<u8>(x * 40 + y * 100 + 1)};
  };
  const std::vector<u8> png = {0, 255, 0, 200, 0, 254, 0, 200, 100, 60, 0, 81, 0, 60, 1, 101, 50, 60, 1, 141, 100, 60, 1, 181};
  const std::string pngPath = (mDir.path() / "leaf.png").string();
  ASSERT_TRUE(platform::writePngFile(pngPath, 3, 2, png.data(), false));
  struct Case {
    std::string path;
    bool fileAlpha;
  };
  const Case cases[] = {{mDir.write("key.bmp", fixture::bmp(3, 2, 24, pixel)), false},
                        {mDir.write("alpha.bmp", fixture::bmp(3, 2, 32, pixel)), true},
                        {mDir.write("topdown.bmp", fixture::bmp(3, 2, 32, pixel, true)), true},
                        {pngPath, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    resTexture* pTexture = load(c.path);
    ASSERT_NE(pTexture, nullptr);
    EXPECT_FLOAT_EQ(pTexture->getScaleU(), 0.75f);
    for (u32 y = 0; y < 2; ++y) {
      for (u32 x = 0; x < 3; ++x) {
        Rgba expected = pixel(x, y);
        if (!c.fileAlpha) expected[3] = x == 0 && y == 0 ? 0 : 255;
        EXPECT_EQ(pixelOf(pTexture->getPixels(), 4, x, y), expected) << x << "," << y;
      }
    }
    EXPECT_EQ(pixelOf(pTexture->getPixels(), 4, 3, 1), (Rgba{0, 0, 0, 0})) << "padding";
    releaseResource(pTexture);
  }
}

TEST_F(TextureGl, HdrIsConvertedFromRgbeAtUpload) {
  std::string bytes = fixture::hdrHeader("RADIANCE", "32-bit_rle_rgbe", "-Y 256 +X 512");
  for (u32 row = 0; row < 256; ++row) {
    std::vector<Rgba> line(512, Rgba{128, 64, 32, 129});
    for (u32 x = 256; x < 512; ++x) line[x] = {128, 64, 32, 127};
    line[0] = {static_cast<u8>(row), 0, 0, 136};
    bytes += fixture::hdrRunLengthScanline(line);
  }
  resTexture* pTexture = load(mDir.write("sky.hdr", bytes));
  ASSERT_NE(pTexture, nullptr);
  EXPECT_EQ(pTexture->getFormat(), resTexture::FORMAT_RGBA) << "converted from RGBE by the upload";
  const std::vector<u8> read = readBack(uploaded(pTexture), 512, 256);
  EXPECT_EQ(pixelOf(read.data(), 512, 1, 0), (Rgba{255, 128, 64, 255}));
  EXPECT_EQ(pixelOf(read.data(), 512, 0, 1), (Rgba{255, 0, 0, 255})) << "row 1 holds scanline 1";
  releaseResource(pTexture);
}

TEST_F(TextureGl, DdsCubeMapsAnd2DTexturesUploadEveryLevelAsStored) {
  const std::string cube = fixture::dds(16, 16, 5, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6);
  resTexture* pTexture = load(mDir.write("env.dds", cube));
  ASSERT_NE(pTexture, nullptr);
  EXPECT_EQ(pTexture->getFormat(), resTexture::FORMAT_DXT1_CUBE);
  EXPECT_EQ(pTexture->getPixels(), nullptr);
  glBindTexture(GL_TEXTURE_CUBE_MAP, uploaded(pTexture));
  // Where each level lies is the reader's own test; here every face holds its levels as stored.
  for (GLenum target = GL_TEXTURE_CUBE_MAP_POSITIVE_X; target < GL_TEXTURE_CUBE_MAP_POSITIVE_X + 6; ++target) {
    GLint format = 0;
    glGetTexLevelParameteriv(target, 4, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_COMPRESSED_RGB_S3TC_DXT1_EXT) << "face " << target;
  }
  std::vector<u8> last(8);
  glGetCompressedTexImage(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 4, last.data());
  EXPECT_EQ(0, std::memcmp(last.data(), cube.data() + cube.size() - 8, 8)) << "the last face's last level";
  GLint maxLevel = 0, wrap = 0;
  glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, &maxLevel);
  glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, &wrap);
  EXPECT_EQ(maxLevel, 4);
  EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
  glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
  releaseResource(pTexture);

  fixture::DdsSpec dxt5;  // three levels of a 16 x 8 2D texture
  dxt5.width = 16;
  dxt5.mipCount = 3;
  dxt5.fourCc = fixture::kFourCcDxt5;
  dxt5.unitBytes = 16;
  fixture::DdsSpec bgr;  // uncompressed, stored blue, green, red
  bgr.width = 4;
  bgr.height = 2;
  bgr.pixelFlags = 0x40;
  bgr.rgbBits = 24;
  bgr.masks[0] = 0xFF0000;
  bgr.masks[1] = 0xFF00;
  bgr.masks[2] = 0xFF;
  bgr.compressed = false;
  bgr.unitBytes = 3;
  const std::string flat = fixture::dds(dxt5);
  pTexture = load(mDir.write("flat.dds", flat));
  ASSERT_NE(pTexture, nullptr);
  EXPECT_EQ(pTexture->getFormat(), resTexture::FORMAT_DDS_2D);
  glBindTexture(GL_TEXTURE_2D, uploaded(pTexture));
  GLint format = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_INTERNAL_FORMAT, &format);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  EXPECT_EQ(format, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT);
  EXPECT_EQ(wrap, GL_REPEAT);
  std::vector<u8> blocks(128);
  glGetCompressedTexImage(GL_TEXTURE_2D, 0, blocks.data());
  EXPECT_EQ(0, std::memcmp(blocks.data(), flat.data() + 128, blocks.size()));
  glBindTexture(GL_TEXTURE_2D, 0);
  releaseResource(pTexture);
  pTexture = load(mDir.write("bgr.dds", fixture::dds(bgr)));
  ASSERT_NE(pTexture, nullptr);
  EXPECT_EQ(pixelOf(readBack(uploaded(pTexture), 4, 2).data(), 4, 1, 1), (Rgba{17, 16, 15, 255}));
  releaseResource(pTexture);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureGl, TgaUploadsAsRgbOrRgbaPlacedTopLeftLikePictures) {
  auto pattern = [](u32 x, u32 y) -> Rgba { return {static_cast<u8>(x), static_cast<u8>(y), 9, 99}; };
  resTexture* pTexture = load(mDir.write("wide.tga", fixture::tga(100, 64, 24, false, pattern)));
  ASSERT_NE(pTexture, nullptr);
  EXPECT_EQ(pTexture->getFormat(), resTexture::FORMAT_RGB);
  EXPECT_EQ(pTexture->getWidth(), 128u);
  EXPECT_FLOAT_EQ(pTexture->getScaleU(), 100.0f / 128.0f);
  EXPECT_FLOAT_EQ(pTexture->getScaleV(), 1.0f);
  const std::vector<u8> read = readBack(uploaded(pTexture), 128, 64);
  EXPECT_EQ(pixelOf(read.data(), 128, 99, 63), (Rgba{99, 63, 9, 255})) << "rows in file order";
  EXPECT_EQ(pixelOf(read.data(), 128, 100, 0), (Rgba{0, 0, 0, 255})) << "padding";
  releaseResource(pTexture);
}

TEST_F(TextureGl, TexturesLargerThanTheCardTakesAreRefused) {
  GLint cardLimit = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &cardLimit);
  EXPECT_EQ(textureManager::mpThis->getMaxTextureSide(), static_cast<u32>(cardLimit));
  // The card's own limit is thousands of pixels; a lower one stands in for it.
  textureManager::mpThis->setMaxTextureSideForTesting(64);
  auto grey = [](u32, u32) -> Rgba { return {1, 2, 3, 4}; };
  const std::size_t listed = resourceManager::mpThis->getResources().size();
  testing::internal::CaptureStderr();
  EXPECT_EQ(load(mDir.write("big.tga", fixture::tga(65, 8, 24, false, grey))), nullptr);
  EXPECT_EQ(load(mDir.write("big.bmp", fixture::bmp(8, 100, 24, grey))), nullptr);
  EXPECT_EQ(load(mDir.write("big.hdr", fixture::hdrHeader("RADIANCE", "32-bit_rle_rgbe", "-Y 1 +X 65") +
                                           fixture::hdrFlatScanline(std::vector<Rgba>(65, Rgba{1, 1, 2, 128})))),
            nullptr);
  EXPECT_EQ(load(mDir.write("big.dds", fixture::dds(128, 4, 1, fixture::kFourCcDxt1, 0, 1))), nullptr);
  resTexture* pFits = load(mDir.write("fits.tga", fixture::tga(64, 64, 24, false, grey)));
  EXPECT_NE(pFits, nullptr);
  const std::string messages = testing::internal::GetCapturedStderr();
  textureManager::mpThis->setMaxTextureSideForTesting(0);
  EXPECT_NE(messages.find("big.tga\": the 128 x 8 texture is larger than the 64 pixels a side"), std::string::npos)
      << messages;
  EXPECT_NE(messages.find("big.bmp\": the 8 x 128 texture"), std::string::npos) << messages;
  EXPECT_NE(messages.find("big.hdr\": the 128 x 1 texture"), std::string::npos) << messages;
  EXPECT_NE(messages.find("big.dds\": the 128 x 4 texture"), std::string::npos) << messages;
  EXPECT_EQ(resourceManager::mpThis->getResources().size(), listed + 1);
  releaseResource(pFits);
}
