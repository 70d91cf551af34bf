// Frames written on worker threads: every file holds its own frame, upright and
// opaque; the thread count does not change a byte; a failure names the first
// frame, in frame order, that could not be written.
#include "app/png_writer_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/picture_decoder.h"
#include "support/temp_dir.h"

namespace {

constexpr int kWidth = 24;
constexpr int kHeight = 10;

// Frame n as GL reads it back: BGRA, the bottom row first, a ramp that differs
// per frame, and alpha left at 0 as effects may leave it.
std::vector<u8> frame(int n) {
  std::vector<u8> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      u8* p = &pixels[(static_cast<std::size_t>(y) * kWidth + x) * 4];
      p[0] = static_cast<u8>(n * 20);
      p[1] = static_cast<u8>(x * 10);
      p[2] = static_cast<u8>(y * 25 + (y % 2) * 200);  // bottom row 0; rows step up and down
      p[3] = 0;
    }
  }
  return pixels;
}

std::vector<u8> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string name(int n) { return "frame" + std::to_string(n) + ".png"; }

void writeFrames(const std::filesystem::path& folder, int threads, int count) {
  std::filesystem::create_directories(folder);
  PngWriterPool pool(kWidth, kHeight, threads);
  EXPECT_EQ(pool.threadCount(), threads);
  for (int n = 0; n < count; ++n) pool.submit((folder / name(n)).string(), frame(n));
  EXPECT_TRUE(pool.finish()) << pool.error();
}

}  // namespace

TEST(PngWriterPool, EachFileHoldsItsFrameWhateverTheThreadCount) {
  TempDir dir;
  writeFrames(dir.path() / "one", 1, 9);
  writeFrames(dir.path() / "three", 3, 9);
  for (int n = 0; n < 9; ++n) {
    const std::vector<u8> bytes = readFile(dir.path() / "three" / name(n));
    ASSERT_FALSE(bytes.empty()) << n;
    EXPECT_EQ(bytes, readFile(dir.path() / "one" / name(n))) << n;
    platform::DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(platform::decodeAnyPicture(bytes.data(), bytes.size(), picture, error)) << error;
    ASSERT_EQ(picture.width, static_cast<u32>(kWidth));
    ASSERT_EQ(picture.height, static_cast<u32>(kHeight));
    // Every pixel as submitted, the top row of the file being the last row read
    // back; no alpha, or an opaque one.
    const std::vector<u8> submitted = frame(n);
    std::vector<u8> upright;
    for (int y = kHeight - 1; y >= 0; --y) {
      for (int x = 0; x < kWidth; ++x) {
        const u8* pIn = &submitted[(static_cast<std::size_t>(y) * kWidth + x) * 4];
        upright.insert(upright.end(), {pIn[2], pIn[1], pIn[0]});
      }
    }
    EXPECT_EQ(picture.rgb, upright) << n;
    EXPECT_EQ(std::count(picture.alpha.begin(), picture.alpha.end(), 255), static_cast<long>(picture.alpha.size()));
  }
}

TEST(PngWriterPool, AFailureNamesTheFirstFrameThatCouldNotBeWritten) {
  TempDir dir;
  PngWriterPool pool(kWidth, kHeight, 3);
  const std::filesystem::path missing = dir.path() / "missing";
  for (int n = 0; n < 8; ++n) {
    const std::filesystem::path folder = n >= 3 ? missing : dir.path();
    pool.submit((folder / name(n)).string(), frame(n));
  }
  EXPECT_FALSE(pool.finish());
  EXPECT_EQ(pool.error(), "cannot write " + (missing / name(3)).string());
  EXPECT_TRUE(std::filesystem::exists(dir.path() / name(2)));
}
