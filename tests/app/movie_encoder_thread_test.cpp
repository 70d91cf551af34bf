// The video capture's encoder thread: every frame handed over while the worker
// encodes arrives in the file, in order and unchanged (a lossless encoding read
// back by ffmpeg) though read into the storage of frames already encoded, and an
// encoder that cannot write says so once and drops the rest.
// Also in the ThreadSanitizer build, which watches the queue between the threads.
#include "app/movie_encoder_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/movie_settings.h"
#include "sound/sound.h"
#include "support/temp_dir.h"

namespace {

constexpr int kWidth = 32;
constexpr int kHeight = 16;

// A frame as GL reads it back (BGRA, bottom row first), one colour that says
// which frame it is, and a bottom row of its own that says which way is up.
std::vector<u8> frameNumber(int index) {
  std::vector<u8> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      u8* p = &pixels[(static_cast<std::size_t>(y) * kWidth + x) * 4];
      p[0] = static_cast<u8>(index * 9);        // blue
      p[1] = static_cast<u8>(255 - index * 9);  // green
      p[2] = static_cast<u8>(y == 0 ? 255 : 0); // red: the bottom row only
      p[3] = 255;
    }
  }
  return pixels;
}

// The file's frames as RGB, top row first, through the ffmpeg program.
std::vector<std::vector<u8>> decodedFrames(const std::string& path) {
  const std::string command = "ffmpeg -loglevel error -i '" + path + "' -fps_mode passthrough -f rawvideo -pix_fmt rgb24 -";
  std::vector<std::vector<u8>> frames;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return frames;
  std::vector<u8> frame(static_cast<std::size_t>(kWidth) * kHeight * 3);
  while (std::fread(frame.data(), 1, frame.size(), pipe) == frame.size()) frames.push_back(frame);
  pclose(pipe);
  return frames;
}

MovieEncoderThread::Music musicOfFrames(u64 frames) {
  MovieEncoderThread::Music music;
  music.file = CSound::MUSIC_FILE_NAME;
  music.startMs = 1000;
  music.fps = 30;
  music.expectedFrames = frames;
  return music;
}

}  // namespace

TEST(MovieEncoderThread, EveryFrameHandedOverArrivesInOrderAndUnchanged) {
  TempDir dir;
  const std::string path = (dir.path() / "run.mkv").string();
  constexpr int kFrames = 24;  // several times the queue, so submit waits for the worker
  MovieEncoderThread encoder(kWidth, kHeight, musicOfFrames(kFrames));
  ASSERT_TRUE(encoder.start(path, platform::videoEncoding(platform::VideoQuality::Lossless))) << encoder.error();
  // Frames are read into the storage of frames already encoded, as a capture does:
  // a buffer handed back while the worker still read it would spoil a frame.
  int reused = 0;
  for (int i = 0; i < kFrames; ++i) {
    std::vector<u8> pixels = encoder.spareFrame();
    const std::vector<u8> frame = frameNumber(i);
    if (pixels.size() == frame.size()) ++reused;
    pixels.resize(frame.size());
    std::copy(frame.begin(), frame.end(), pixels.begin());
    encoder.submit(std::move(pixels));
  }
  ASSERT_TRUE(encoder.finish()) << encoder.error();
  // Frame 5 is read only once the worker is done with frame 0.
  EXPECT_GT(reused, 0) << "the storage of encoded frames comes back";

  const std::vector<std::vector<u8>> frames = decodedFrames(path);
  ASSERT_EQ(frames.size(), static_cast<std::size_t>(kFrames));
  for (int i = 0; i < kFrames; ++i) {
    const std::vector<u8>& rgb = frames[static_cast<std::size_t>(i)];
    const std::size_t top = 0;
    const std::size_t bottom = static_cast<std::size_t>(kHeight - 1) * kWidth * 3;
    EXPECT_EQ(rgb[top + 0], 0) << "frame " << i << ": the top row has no red";
    EXPECT_EQ(rgb[bottom + 0], 255) << "frame " << i << ": the bottom row is red";
    EXPECT_EQ(rgb[top + 1], static_cast<u8>(255 - i * 9)) << "frame " << i;
    EXPECT_EQ(rgb[top + 2], static_cast<u8>(i * 9)) << "frame " << i;
  }
}

TEST(MovieEncoderThread, AFullDiskFailsOnceAndDropsTheFramesAfter) {
  TempDir dir;
  const std::filesystem::path full = dir.path() / "full.mkv";
  std::error_code error;
  std::filesystem::create_symlink("/dev/full", full, error);
  ASSERT_FALSE(error) << error.message();
  MovieEncoderThread encoder(kWidth, kHeight, musicOfFrames(8));
  const bool started = encoder.start(full.string(), platform::videoEncoding(platform::VideoQuality::Lossless));
  if (started) {
    for (int i = 0; i < 8; ++i) encoder.submit(frameNumber(i));
    EXPECT_FALSE(encoder.finish());
  }
  EXPECT_TRUE(encoder.failed());
  EXPECT_NE(encoder.error().find("No space left on device"), std::string::npos) << encoder.error();
}
