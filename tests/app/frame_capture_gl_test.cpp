// Offline capture on the show's frame path: numbered PNG files read back after the
// final composition (picture inside the letterbox, black bars outside) and the
// matching stretch of music as audio.wav (order, pieces and repeats: the Program
// tests and frame_ranges.sh).
#include "app/frame_capture.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "demo/demo_manager.h"
#include "platform/picture_decoder.h"
#include "sound/sound.h"
#include "support/demo_fixture.h"
#include "support/temp_dir.h"

namespace {

std::vector<u8> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

platform::DecodedPicture decode(const std::filesystem::path& path) {
  const std::vector<u8> bytes = readFile(path);
  platform::DecodedPicture picture;
  std::string error;
  EXPECT_TRUE(platform::decodeAnyPicture(bytes.data(), bytes.size(), picture, error)) << path << ": " << error;
  return picture;
}

// RGB of the pixel at (x, y), the top row first as in the file.
std::array<u8, 3> at(const platform::DecodedPicture& picture, u32 x, u32 y) {
  const std::size_t offset = (static_cast<std::size_t>(y) * picture.width + x) * 3;
  return {picture.rgb[offset], picture.rgb[offset + 1], picture.rgb[offset + 2]};
}

}  // namespace

TEST(FrameCapture, WritesLetterboxedFramesAndTheMatchingMusic) {
  // A 40 x 30 window is 4:3: the 16:9 picture leaves bars an eighth high.
  DemoFixture demo(40, 30, 4, 3);
  ASSERT_TRUE(demo.ok()) << demo.error();
  demo.addScene(0, "green", 0, 100000, {0.0f, 1.0f, 0.0f, 1.0f});
  TempDir dir;
  const std::filesystem::path folder = dir.path() / "frames";
  FrameCapture capture(folder.string(), &demo.clock(), 40, 30, 100000);
  ASSERT_TRUE(capture.prepare(CSound::MUSIC_FILE_NAME, 2000)) << capture.error();
  CDemoManager& manager = demoManager();
  changeRunOptions([&](RunOptions& options) { options.pObserver = &capture; options.startTime = 2000; options.frameLimit = 3; });
  ASSERT_EQ(manager.run(), 0);
  changeRunOptions([&](RunOptions& options) { options.pObserver = nullptr; });
  EXPECT_EQ(demo.clock().getTime(), 2030u) << "one fixed step per frame at 100 frames per second";
  ASSERT_TRUE(capture.finish()) << capture.error();
  EXPECT_EQ(capture.framesWritten(), 3u);

  const platform::DecodedPicture picture = decode(folder / "000002.png");
  ASSERT_EQ(picture.width, 40u);
  ASSERT_EQ(picture.height, 30u);
  EXPECT_EQ(at(picture, 20, 15), (std::array<u8, 3>{0, 255, 0})) << "the picture";
  EXPECT_EQ(at(picture, 20, 1), (std::array<u8, 3>{0, 0, 0})) << "the bar above";
  EXPECT_EQ(at(picture, 20, 28), (std::array<u8, 3>{0, 0, 0})) << "the bar below";
  EXPECT_EQ(at(picture, 1, 15), (std::array<u8, 3>{0, 255, 0})) << "no bars at the sides";

  // 30 ms of 16-bit stereo at 44100 Hz after a 44-byte header.
  const std::vector<u8> wave = readFile(folder / "audio.wav");
  EXPECT_EQ(wave.size(), 44u + 1323u * 4u);
}

TEST(FrameCapture, RefusesAFolderThatCannotBeMade) {
  TempDir dir;
  std::ofstream(dir.path() / "file") << "in the way";
  FrameCapture capture((dir.path() / "file" / "frames").string(), nullptr, 8, 8, 0);
  EXPECT_FALSE(capture.prepare(CSound::MUSIC_FILE_NAME, 0));
  EXPECT_NE(capture.error().find("capture folder"), std::string::npos) << capture.error();
}
