// The music stretch of a capture: the right frames from the start time, silence
// past the end of the music, and a canonical WAVE file around them.
#include "sound/music_excerpt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "support/sound_fixtures.h"

namespace {

s16 sampleAt(const std::vector<u8>& bytes, std::size_t frame, int channel) {
  s16 value = 0;
  std::memcpy(&value, bytes.data() + frame * 4 + static_cast<std::size_t>(channel) * 2, 2);
  return value;
}

}  // namespace

TEST(MusicExcerpt, ReadsTheStretchFromTheStartTimeAndSilencePastTheEnd) {
  TempDir dir;
  const std::string path = soundtest::write(dir, "music.wav", soundtest::makeWave(soundtest::patternPcm(44100)));
  PcmExcerpt excerpt;
  std::string error;
  ASSERT_TRUE(readMusicExcerpt(path.c_str(), 500, 100, excerpt, error)) << error;
  EXPECT_EQ(excerpt.format.samplesPerSec, 44100u);
  ASSERT_EQ(excerpt.bytes.size(), 4410u * 4u);
  EXPECT_EQ(sampleAt(excerpt.bytes, 0, 0), soundtest::patternLeft(22050));
  EXPECT_EQ(sampleAt(excerpt.bytes, 4409, 0), soundtest::patternLeft(22050 + 4409));
  ASSERT_TRUE(readMusicExcerpt(path.c_str(), 900, 200, excerpt, error)) << error;
  ASSERT_EQ(excerpt.bytes.size(), 8820u * 4u);
  EXPECT_EQ(sampleAt(excerpt.bytes, 4409, 0), soundtest::patternLeft(39690 + 4409));
  EXPECT_EQ(sampleAt(excerpt.bytes, 4410, 0), 0);
  EXPECT_EQ(sampleAt(excerpt.bytes, 8819, 1), 0);
  EXPECT_FALSE(readMusicExcerpt("no\\such\\music.ogg", 0, 100, excerpt, error));
  EXPECT_NE(error.find("music.ogg"), std::string::npos) << error;
}

TEST(MusicExcerpt, PiecesOfARunJoinToTheWholeRunsMusic) {
  TempDir dir;
  const std::string path = soundtest::write(dir, "music.wav", soundtest::makeWave(soundtest::patternPcm(44100)));
  std::string error;
  // 8 frames a second: a frame is 5512.5 sample frames, so each end rounds.
  PcmExcerpt whole;
  ASSERT_TRUE(readMusicForFrames(path.c_str(), 33, 8, 0, 5, whole, error)) << error;
  EXPECT_EQ(whole.bytes.size(), (29017u - 1455u) * 4u) << "floor(33 ms) to floor(33 ms + 625 ms)";
  EXPECT_EQ(sampleAt(whole.bytes, 0, 0), soundtest::patternLeft(1455));
  std::vector<u8> joined;
  for (const auto& [first, count] : std::vector<std::pair<u64, u64>>{{0, 1}, {1, 3}, {4, 1}}) {
    PcmExcerpt piece;
    ASSERT_TRUE(readMusicForFrames(path.c_str(), 33, 8, first, count, piece, error)) << error;
    joined.insert(joined.end(), piece.bytes.begin(), piece.bytes.end());
  }
  EXPECT_EQ(joined, whole.bytes);
}

TEST(MusicExcerpt, TheWrittenWaveFileHasTheCanonicalHeaderAndReadsBack) {
  TempDir dir;
  PcmExcerpt excerpt;
  excerpt.format.formatTag = 1;
  excerpt.format.channels = 2;
  excerpt.format.samplesPerSec = 44100;
  excerpt.format.avgBytesPerSec = 176400;
  excerpt.format.blockAlign = 4;
  excerpt.format.bitsPerSample = 16;
  excerpt.bytes = {1, 2, 3, 4, 5, 6, 7, 8};
  const std::string path = (dir.path() / "audio.wav").string();
  ASSERT_TRUE(writeWaveFile(path, excerpt));
  std::ifstream in(path, std::ios::binary);
  const std::vector<u8> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_EQ(bytes.size(), 52u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  EXPECT_EQ(bytes[4], 44u);  // 36 + data
  EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
  PcmExcerpt read;
  std::string error;
  ASSERT_TRUE(readMusicExcerpt(path.c_str(), 0, 1, read, error)) << error;
  ASSERT_EQ(read.bytes.size(), 44u * 4u);
  EXPECT_EQ(std::vector<u8>(read.bytes.begin(), read.bytes.begin() + 8), excerpt.bytes);
  EXPECT_EQ(sampleAt(read.bytes, 2, 0), 0) << "silence past the end";
}
