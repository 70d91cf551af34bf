// Reading the dialog's artwork and writing its picture, without a display.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "app/setup_dialog.h"
#include "platform/dialog_image.h"

namespace {

TEST(DialogImage, ReadsTheShippedArtworkAtThePictureControlsSize) {
  platform::DialogImage art;
  ASSERT_TRUE(platform::loadDialogImage(kSetupDialogArtFile, art));
  EXPECT_EQ(art.width, 122);
  EXPECT_EQ(art.height, 328);
  ASSERT_EQ(art.rgba.size(), 122u * 328u * 4u);
  // The sky darkens upwards: the top row is darker than the row above the hills.
  auto brightness = [&art](int x, int y) {
    const std::size_t at = static_cast<std::size_t>((y * art.width + x) * 4);
    return art.rgba[at] + art.rgba[at + 1] + art.rgba[at + 2];
  };
  EXPECT_LT(brightness(60, 0), brightness(5, 250));
}

TEST(DialogImage, MissingOrBrokenFilesAreReportedNotFatal) {
  platform::DialogImage image;
  EXPECT_FALSE(platform::loadDialogImage("data/texture/no_such_picture.bmp", image));
  EXPECT_FALSE(platform::saveDialogImagePng(testing::TempDir() + "empty.png", image));
  image.width = 2;
  image.height = 2;
  image.rgba.assign(3, 0);  // too short for 2 x 2
  EXPECT_FALSE(platform::saveDialogImagePng(testing::TempDir() + "short.png", image));
}

TEST(DialogImage, PngRoundTripKeepsEveryPixel) {
  platform::DialogImage image;
  image.width = 3;
  image.height = 2;
  for (int i = 0; i < 6; ++i) {
    image.rgba.insert(image.rgba.end(), {static_cast<std::uint8_t>(i * 40), 7,
                                         static_cast<std::uint8_t>(255 - i), 255});
  }
  const std::string path = testing::TempDir() + "dialog_round_trip.png";
  ASSERT_TRUE(platform::saveDialogImagePng(path, image));
  platform::DialogImage read;
  ASSERT_TRUE(platform::loadDialogImage(path, read));
  std::filesystem::remove(path);
  EXPECT_EQ(read.width, 3);
  EXPECT_EQ(read.height, 2);
  EXPECT_EQ(read.rgba, image.rgba);
}

TEST(DialogImage, GoesThroughTheGuardedPictureDecoder) {
  // Bytes that stb_image alone reads as a run-length TGA of 8224 x 8224 pixels
  // (a quarter of a gigabyte from 121 bytes), and a JPEG whose Huffman table
  // would write past its end: neither is a dialog picture.
  std::vector<std::uint8_t> tgaLike = {0x00, 0x00, 0x0a, 0x00, 0x5b, 0x31, 0xff, 0xd8, 0x55, 0x56, 0x57, 0x58};
  tgaLike.resize(121, 0x20);
  std::vector<std::uint8_t> badTable = {0xFF, 0xD8, 0xFF, 0xC4, 0x01, 0x13, 0x10};
  badTable.insert(badTable.end(), 16, 32);
  badTable.insert(badTable.end(), 512, 1);
  badTable.insert(badTable.end(), {0xFF, 0xD9});
  for (const auto& [name, bytes] : {std::pair{"tga_like.bmp", tgaLike}, std::pair{"table.jpg", badTable}}) {
    const std::string path = testing::TempDir() + name;
    {
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    platform::DialogImage image;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(platform::loadDialogImage(path, image)) << name;
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_TRUE(image.rgba.empty());
    std::filesystem::remove(path);
  }
}

}  // namespace
