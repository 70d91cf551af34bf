// Texture loading without GL: the dispatch's fatal stops, and files of every
// format that are empty, cut short or random, refused with a message naming them.
#include "resource/res_texture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "framework/critical_check.h"
#include "framework/vell_file.h"
#include "platform/picture_decoder.h"
#include "resource/resource_manager.h"
#include "support/fatal_text.h"
#include "support/image_fixtures.h"
#include "support/temp_dir.h"

namespace {

fixture::Rgba grey(u32 x, u32 y) { return {static_cast<u8>(x * 9), static_cast<u8>(y * 5), 77, 255}; }

std::string jpegBytes(const TempDir& dir) {
  std::vector<u8> rgb(32 * 16 * 3, 128);
  const std::string path = (dir.path() / "source.jpg").string();
  EXPECT_TRUE(platform::writeJpeg(path, 32, 16, rgb.data(), 90));
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

resTexture* load(const std::string& path) {
  return static_cast<resTexture*>(resourceManager::mpThis->getResource(path.c_str(), resTexture::DTI));
}

}  // namespace

TEST(ResTexture, RoundsSidesUpToPowersOfTwoAndKnowsPictureExtensions) {
  EXPECT_EQ(roundUpToPowerOfTwo(1), 1u);
  EXPECT_EQ(roundUpToPowerOfTwo(3), 4u);
  EXPECT_EQ(roundUpToPowerOfTwo(256), 256u);
  EXPECT_EQ(roundUpToPowerOfTwo(600), 1024u);
  EXPECT_EQ(resTexture().getExtensionMask(), std::string("bmp|jpg|jpeg|dds|hdr|tga"));

  TempDir dir;
  for (const char* name : {"a.bmp", "b.JPG", "c.Jpeg", "d.gif"}) {
    VellFile file;
    ASSERT_TRUE(file.open(dir.write(name, "x").c_str()));
    VellFileStream stream(&file);
    EXPECT_TRUE(resTexture::isIPictureFile(stream)) << name;
  }
  for (const char* name : {"e.tga", "f.png", "g.jpe"}) {
    VellFile file;
    ASSERT_TRUE(file.open(dir.write(name, "x").c_str()));
    VellFileStream stream(&file);
    EXPECT_FALSE(resTexture::isIPictureFile(stream)) << name;
  }
}

TEST(ResTexture, EmptyCutAndRandomFilesOfEveryFormatAreRefusedWithAMessage) {
  TempDir dir;
  const std::vector<std::pair<std::string, std::string>> valid = {
      {"bmp", fixture::bmp(12, 6, 24, grey)},
      {"jpg", jpegBytes(dir)},
      {"hdr", fixture::hdrHeader("RADIANCE", "32-bit_rle_rgbe", "-Y 2 +X 16") +
                  fixture::hdrRunLengthScanline(std::vector<fixture::Rgba>(16, {1, 2, 3, 4})) +
                  fixture::hdrRunLengthScanline(std::vector<fixture::Rgba>(16, {1, 2, 3, 4}))},
      {"tga", fixture::tga(8, 8, 24, false, grey)},
      {"dds", fixture::dds(8, 8, 4, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6)},
  };
  const std::size_t listed = resourceManager::mpThis->getResources().size();
  for (const auto& [extension, bytes] : valid) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"empty", ""},
        {"half", bytes.substr(0, bytes.size() / 2)},
        {"short", bytes.substr(0, bytes.size() - 1)},
        {"random", fixture::randomBytes(bytes.size(), 5)},
    };
    for (const auto& [kind, content] : bad) {
      const std::string path = dir.write(kind + "." + extension, content);
      testing::internal::CaptureStderr();
      resTexture* pTexture = load(path);
      const std::string message = testing::internal::GetCapturedStderr();
      EXPECT_EQ(pTexture, nullptr) << path;
      EXPECT_NE(message.find("cannot load texture \"" + path + "\": "), std::string::npos) << message;
      EXPECT_GT(message.size(), path.size() + 30) << "the problem is named: " << message;
    }
  }
  EXPECT_EQ(resourceManager::mpThis->getResources().size(), listed);
}

TEST(ResTexture, LoadErrorNamesTheProblem) {
  TempDir dir;
  const std::string path =
      dir.write("wrong.hdr", fixture::hdrHeader("RGBE", "32-bit_rle_rgbe", "-Y 1 +X 1") + "abcd");
  VellFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  VellFileStream stream(&file);
  resTexture texture;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(texture.load(stream));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(texture.getLoadError(), "program type \"RGBE\" is not \"RADIANCE\"");
  EXPECT_EQ(texture.getName(), "wrong");
}

TEST(ResTextureDeath, NonPowerOfTwoTgaAndUpperCaseExtensionsAreFatal) {
  TempDir dir;
  const std::string wide = dir.write("wide.tga", fixture::tga(100, 64, 24, false, grey));
  EXPECT_EXIT(load(wide), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[tmpWidth==mWidth && tmpHeight==mHeight + \"not 2^n texture is not "
                             "unsupported\"]"));
  const std::string upper = dir.write("upper.TGA", fixture::tga(64, 64, 24, false, grey));
  EXPECT_EXIT(load(upper), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[0 + \"currently unsupported file.\"]"));
  const std::string upperHdr = dir.write("upper.Hdr", "#?RADIANCE\n");
  EXPECT_EXIT(load(upperHdr), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[0 + \"currently unsupported file.\"]"));
}
