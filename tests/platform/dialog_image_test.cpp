// Reading the dialog's artwork and writing its picture, without a display.
#include <gtest/gtest.h>

#include "app/setup_dialog.h"
#include "platform/dialog_image.h"
#include "support/temp_dir.h"

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

TEST(DialogImage, PngRoundTripKeepsEveryPixelAndBadPicturesAreRefused) {
  TempDir dir;
  platform::DialogImage image;
  EXPECT_FALSE(platform::saveDialogImagePng((dir.path() / "empty.png").string(), image));
  image.width = 3;
  image.height = 2;
  image.rgba.assign(3, 0);  // too short for 3 x 2
  EXPECT_FALSE(platform::saveDialogImagePng((dir.path() / "short.png").string(), image));
  image.rgba.clear();
  for (int i = 0; i < 6; ++i) {
    image.rgba.insert(image.rgba.end(), {static_cast<std::uint8_t>(i * 40), 7, static_cast<std::uint8_t>(255 - i), 255});
  }
  const std::string path = (dir.path() / "round_trip.png").string();
  ASSERT_TRUE(platform::saveDialogImagePng(path, image));
  platform::DialogImage read;
  ASSERT_TRUE(platform::loadDialogImage(path, read));
  EXPECT_EQ(read.width, 3);
  EXPECT_EQ(read.height, 2);
  EXPECT_EQ(read.rgba, image.rgba);

  EXPECT_FALSE(platform::loadDialogImage("data/texture/no_such_picture.bmp", read));
}
