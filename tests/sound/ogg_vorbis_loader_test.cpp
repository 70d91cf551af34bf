// OggVorbisLoader: the format and size derived from the stream, file and memory
// modes agreeing byte for byte, codes 7/8, sample-exact seeking, and
// damaged streams failing with a message.
#include <gtest/gtest.h>

#include <cstring>

#include "sound/ogg_vorbis_loader.h"
#include "support/sound_fixtures.h"

namespace {

// One encoded second shared by the tests: encoding is the slow part.
const std::vector<u8>& oneSecondOgg() {
  static const std::vector<u8> bytes = soundtest::makeOgg(1.0);
  return bytes;
}

}  // namespace

TEST(OggVorbisLoader, FileAndMemoryModesDeriveTheFormatFromTheStreamAndDecodeTheSameBytes) {
  ASSERT_FALSE(oneSecondOgg().empty());
  TempDir dir;
  const std::string path = soundtest::write(dir, "tone.ogg", oneSecondOgg());
  OggVorbisLoader fromFile, fromMemory;
  ASSERT_EQ(fromFile.open(path.c_str(), nullptr, 0), 1) << fromFile.getLastError();
  ASSERT_EQ(fromMemory.open(CSoundLoader::MEMORY_FILE_NAME, oneSecondOgg().data(), oneSecondOgg().size()), 1)
      << fromMemory.getLastError();
  WAVEFORMATEX format;
  fromFile.getFormat(&format);
  EXPECT_EQ(format.channels, 2);
  EXPECT_EQ(format.samplesPerSec, 44100u);
  EXPECT_EQ(format.bitsPerSample, 16);
  EXPECT_EQ(format.avgBytesPerSec, 176400u);
  EXPECT_NEAR(static_cast<double>(fromFile.getDataSize()), 176400.0, 8.0);
  EXPECT_NEAR(static_cast<double>(fromFile.getLengthMs()), 1000.0, 1.0);
  ASSERT_EQ(fromFile.getDataSize(), fromMemory.getDataSize());
  CSoundLoader::Block whole, chunk;
  ASSERT_EQ(fromFile.read(&whole, -1, 0, false), 1);
  const u32 chunkSize = 44100;
  for (u32 offset = 0; offset + chunkSize <= fromMemory.getDataSize(); offset += chunkSize) {
    ASSERT_EQ(fromMemory.read(&chunk, -1, chunkSize, false), 1);
    ASSERT_EQ(std::memcmp(chunk.get(), whole.get() + offset, chunkSize), 0) << "at " << offset;
  }
  bool audible = false;
  for (u32 i = 0; i < fromFile.getDataSize(); i += 2) audible |= (whole[i] | whole[i + 1]) != 0;
  EXPECT_TRUE(audible);
}

TEST(OggVorbisLoader, ReportsTheEndInsideAReadThenAReadPastIt) {
  OggVorbisLoader loader;
  ASSERT_EQ(loader.open(CSoundLoader::MEMORY_FILE_NAME, oneSecondOgg().data(), oneSecondOgg().size()), 1);
  const u32 size = loader.getDataSize();
  CSoundLoader::Block data;
  ASSERT_EQ(loader.read(&data, size - 400, 100, false), 1);
  EXPECT_EQ(loader.read(&data, -1, 1000, false), 7);
  for (int i = 300; i < 1000; ++i) ASSERT_EQ(data[i], 0) << "silence after the end, byte " << i;
  EXPECT_EQ(loader.read(&data, -1, 64, false), 8);
}

TEST(OggVorbisLoader, SeeksToTheExactSampleOfAByteOffset) {
  OggVorbisLoader loader;
  ASSERT_EQ(loader.open(CSoundLoader::MEMORY_FILE_NAME, oneSecondOgg().data(), oneSecondOgg().size()), 1);
  CSoundLoader::Block whole, part;
  // The whole-sound decode closes the stream; the seek must bring it back.
  ASSERT_EQ(loader.read(&whole, -1, 0, false), 1);
  ASSERT_EQ(loader.seekBytes(100000, 0), 1);
  EXPECT_EQ(loader.getPosition(), 100000u);
  ASSERT_EQ(loader.read(&part, -1, 4096, false), 1);
  EXPECT_EQ(std::memcmp(part.get(), whole.get() + 100000, 4096), 0);
  EXPECT_EQ(loader.seekMs(500, 0), 1);
  EXPECT_EQ(loader.getPosition(), 88200u);
  ASSERT_EQ(loader.read(&part, -1, 4096, false), 1);
  EXPECT_EQ(std::memcmp(part.get(), whole.get() + 88200, 4096), 0);
}

TEST(OggVorbisLoader, DamagedStreamsFailWithACodeAndMessage) {
  std::vector<u8> garbage(4096);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<u8>(i * 37 + 11);
  const std::vector<u8> truncated(oneSecondOgg().begin(), oneSecondOgg().begin() + 60);
  struct Case {
    const char* label;
    std::vector<u8> bytes;
  };
  TempDir dir;
  for (const Case& c : {Case{"empty", {}}, Case{"garbage", garbage}, Case{"truncated", truncated}}) {
    const std::string path = soundtest::write(dir, std::string(c.label) + ".ogg", c.bytes);
    OggVorbisLoader fromFile;
    EXPECT_EQ(fromFile.open(path.c_str(), nullptr, 0), 6) << c.label;
    EXPECT_NE(fromFile.getLastError().find(path), std::string::npos) << fromFile.getLastError();
    EXPECT_GT(fromFile.getLastError().size(), path.size() + 4) << "says what is wrong";

    std::unique_ptr<u8[]> copy(new u8[c.bytes.size() + 1]);
    if (!c.bytes.empty()) std::memcpy(copy.get(), c.bytes.data(), c.bytes.size());
    OggVorbisLoader fromMemory;
    EXPECT_EQ(fromMemory.open(CSoundLoader::MEMORY_FILE_NAME, copy.get(), c.bytes.size()), 6) << c.label;
  }
  OggVorbisLoader missing;
  EXPECT_FALSE(missing.probe("data\\no_such_music.ogg", nullptr, 0));
  EXPECT_NE(missing.getLastError().find("no_such_music.ogg: cannot be opened"), std::string::npos);
}
