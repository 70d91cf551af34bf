// Texture loading without GL: picture files sent to the decoder by extension, and
// files of every format that are empty, cut short, random or beyond the texture
// budget refused with a message naming them.
#include "resource/res_texture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "framework/vell_file.h"
#include "platform/picture_decoder.h"
#include "resource/resource_manager.h"
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

TEST(ResTexture, SendsPictureExtensionsToTheDecoder) {
  TempDir dir;
  for (const auto& [name, picture] : {std::pair{"a.bmp", true}, {"b.JPG", true}, {"c.Jpeg", true}, {"d.gif", true},
                                      {"e.tga", false}, {"f.png", false}, {"g.jpe", false}}) {
    VellFile file;
    ASSERT_TRUE(file.open(dir.write(name, "x").c_str()));
    VellFileStream stream(&file);
    EXPECT_EQ(resTexture::isIPictureFile(stream), picture) << name;
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
    // A JPEG cut inside its scan loads as viewers show it; cut inside its tables
    // it is refused.
    const bool jpeg = extension == "jpg";
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"empty", ""},
        {"half", bytes.substr(0, jpeg ? 100 : bytes.size() / 2)},
        {"short", bytes.substr(0, jpeg ? 300 : bytes.size() - 1)},
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

TEST(ResTexture, AnUpperCaseExtensionReachesItsReaderWhoseProblemIsReported) {
  TempDir dir;
  const std::string path = dir.write("wrong.Hdr", fixture::hdrHeader("RADIANCE2", "32-bit_rle_rgbe", "-Y 1 +X 1") + "abcd");
  testing::internal::CaptureStderr();
  EXPECT_EQ(load(path), nullptr);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("wrong.Hdr\": program type \"RADIANCE2\" is not \"RADIANCE\" or \"RGBE\""), std::string::npos) << said;
}

namespace {

// A run-length TGA of the given size in the fewest bytes: every packet a run of 128.
std::string longRunsTga(u32 width, u32 height) {
  std::string bytes = fixture::tgaHeader(10, 0, 0, 0, 0, width, height, 32);
  const std::size_t packets = (static_cast<std::size_t>(width) * height + 127) / 128;
  const std::string packet("\xFF\x01\x02\x03\x04", 5);
  bytes.reserve(bytes.size() + packets * packet.size());
  for (std::size_t i = 0; i < packets; ++i) bytes += packet;
  return bytes;
}

}  // namespace

TEST(ResTexture, TexturesBeyondTheMemoryBudgetAreRefusedBeforeTheirBuffer) {
  TempDir dir;
  // 16384 x 8192 pixels are 512 MiB as RGBA: the file holds them, the budget does not.
  testing::internal::CaptureStderr();
  EXPECT_EQ(load(dir.write("huge.tga", longRunsTga(16384, 8192))), nullptr);
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("huge.tga\": a 16384 x 8192 picture needs a 16384 x 8192 texture, more than the "
                         "67108864 pixels a texture may have"),
            std::string::npos)
      << message;
}
