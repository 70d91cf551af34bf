// WaveLoader: format and data from files and memory, silence padding and
// codes 7/8, seeking, and damaged files that must fail with a message naming
// the file and the problem instead of crashing.
#include <gtest/gtest.h>

#include <cstring>

#include "sound/wave_loader.h"
#include "support/sound_fixtures.h"

using soundtest::makeWave;
using soundtest::WaveSpec;

namespace {

std::vector<u8> countingBytes(std::size_t count, u8 first = 1) {
  std::vector<u8> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<u8>(first + i);
  return bytes;
}

}  // namespace

TEST(WaveLoader, OpensFileAndMemoryWithTheSameFormatAndDataAndNamesAMissingFile) {
  TempDir dir;
  const std::vector<u8> pcm = soundtest::patternPcm(1000);
  const std::vector<u8> image = makeWave(pcm, WaveSpec{.junkChunkFirst = true});
  const std::string path = soundtest::write(dir, "tone.wav", image);

  WaveLoader fromFile, fromMemory;
  ASSERT_EQ(fromFile.open(path.c_str(), nullptr, 0), 1) << fromFile.getLastError();
  ASSERT_EQ(fromMemory.open(CSoundLoader::MEMORY_FILE_NAME, image.data(), image.size()), 1);
  for (WaveLoader* pLoader : {&fromFile, &fromMemory}) {
    WAVEFORMATEX format;
    EXPECT_EQ(pLoader->getFormat(&format), 1);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samplesPerSec, 44100u);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(pLoader->getDataSize(), pcm.size());
    CSoundLoader::Block data;
    EXPECT_EQ(pLoader->read(&data, -1, 0, false), 1);
    EXPECT_EQ(std::memcmp(data.get(), pcm.data(), pcm.size()), 0);
    EXPECT_EQ(pLoader->getLengthMs(), 1000 * 1000 / 44100);
  }
  const std::vector<u8> longer = makeWave(pcm, WaveSpec{.fmtChunkSize = 18});
  WaveLoader eighteen;
  EXPECT_EQ(eighteen.open(CSoundLoader::MEMORY_FILE_NAME, longer.data(), longer.size()), 1) << eighteen.getLastError();
  WaveLoader missing;
  EXPECT_FALSE(missing.probe("data\\no_such_file.wav", nullptr, 0));
  EXPECT_NE(missing.getLastError().find("no_such_file.wav"), std::string::npos);
}

TEST(WaveLoader, PadsReadsPastTheEndWithSilenceOfTheSampleWidth) {
  const std::vector<u8> pcm = countingBytes(10);
  const std::vector<u8> eightBit = makeWave(pcm, WaveSpec{.channels = 1, .bitsPerSample = 8});
  const std::vector<u8> sixteenBit = makeWave(pcm, WaveSpec{.channels = 1});
  struct Case {
    const std::vector<u8>* pImage;
    u8 silence;
  };
  for (Case c : {Case{&eightBit, 0x80}, Case{&sixteenBit, 0x00}}) {
    WaveLoader loader;
    ASSERT_EQ(loader.open(CSoundLoader::MEMORY_FILE_NAME, c.pImage->data(), c.pImage->size()), 1);
    CSoundLoader::Block data;
    EXPECT_EQ(loader.read(&data, 4, 16, false), 7) << "the end is reached inside this read";
    EXPECT_EQ(std::memcmp(data.get(), pcm.data() + 4, 6), 0);
    for (int i = 6; i < 16; ++i) EXPECT_EQ(data[i], c.silence) << "byte " << i;
    EXPECT_EQ(loader.getPosition(), 10u);

    EXPECT_EQ(loader.read(&data, -1, 8, false), 8) << "the read starts at the end";
    for (int i = 0; i < 8; ++i) EXPECT_EQ(data[i], c.silence);
    // Reading exactly to the end does not report it; a whole decode does not stop later reads.
    ASSERT_EQ(loader.read(&data, -1, 0, false), 1);
    EXPECT_EQ(loader.read(&data, 0, 10, false), 1);
    EXPECT_EQ(std::memcmp(data.get(), pcm.data(), 10), 0);
  }
}

TEST(WaveLoader, SeeksByBytesAndMilliseconds) {
  const std::vector<u8> pcm = soundtest::patternPcm(44100);
  const std::vector<u8> image = makeWave(pcm);
  WaveLoader loader;
  EXPECT_EQ(loader.seekBytes(0, 0), 3) << "not open";
  ASSERT_EQ(loader.open(CSoundLoader::MEMORY_FILE_NAME, image.data(), image.size()), 1);
  CSoundLoader::Block data;
  EXPECT_EQ(loader.seekBytes(400, 0), 1);
  EXPECT_EQ(loader.getPosition(), 400u);
  ASSERT_EQ(loader.read(&data, -1, 4, false), 1);
  EXPECT_EQ(std::memcmp(data.get(), pcm.data() + 400, 4), 0);

  EXPECT_EQ(loader.seekMs(250, 0), 1);
  EXPECT_EQ(loader.getPosition(), 44100u);
  ASSERT_EQ(loader.read(&data, -1, 4, false), 1);
  EXPECT_EQ(std::memcmp(data.get(), pcm.data() + 44100, 4), 0);
}

// Each damaged file fails to open with code 6 and a message naming the file and
// the problem; none may crash or read past the bytes given.
struct DamagedWave {
  const char* label;
  std::vector<u8> bytes;
  const char* problem;
};

std::vector<DamagedWave> damagedWaves() {
  const std::vector<u8> pcm = countingBytes(64);
  const std::vector<u8> good = makeWave(pcm);
  std::vector<DamagedWave> cases;
  cases.push_back({"empty", {}, "is empty"});
  cases.push_back({"truncated header", std::vector<u8>(good.begin(), good.begin() + 10), "too short"});
  cases.push_back({"garbage", countingBytes(300, 7), "not a RIFF file"});
  std::vector<u8> notWave = good;
  std::memcpy(notWave.data() + 8, "AVI ", 4);
  cases.push_back({"other form", notWave, "not 'WAVE'"});
  cases.push_back({"fmt too long", makeWave(pcm, WaveSpec{.fmtChunkSize = 40}), "\"fmt \" chunk is 40 bytes"});
  cases.push_back({"no data", makeWave(pcm, WaveSpec{.omitData = true}), "no \"data\" chunk"});
  cases.push_back({"data past end", makeWave(pcm, WaveSpec{.dataSizeOverride = 100000}),
                   "\"data\" chunk of 100000 bytes at offset 44 runs past the end of the file (64 bytes left)"});
  cases.push_back({"not pcm", makeWave(pcm, WaveSpec{.formatTag = 3}), "not integer PCM"});
  std::vector<u8> cutInFmt(good.begin(), good.begin() + 28);
  cases.push_back({"cut inside fmt", cutInFmt, "\"fmt \" chunk of 16 bytes at offset 20 runs past the end"});
  return cases;
}

TEST(WaveLoader, DamagedFilesFailWithACodeAndAMessageNamingFileAndProblem) {
  TempDir dir;
  for (const DamagedWave& c : damagedWaves()) {
    const std::string path = soundtest::write(dir, "bad.wav", c.bytes);
    WaveLoader fromFile;
    EXPECT_EQ(fromFile.open(path.c_str(), nullptr, 0), 6) << c.label;
    EXPECT_NE(fromFile.getLastError().find(path), std::string::npos) << fromFile.getLastError();
    EXPECT_NE(fromFile.getLastError().find(c.problem), std::string::npos) << c.label << ": " << fromFile.getLastError();
    EXPECT_FALSE(fromFile.isOpened());
    // Memory mode over an exact-size heap copy, so any over-read shows up under a sanitizer.
    std::unique_ptr<u8[]> copy(new u8[c.bytes.size() + 1]);
    if (!c.bytes.empty()) std::memcpy(copy.get(), c.bytes.data(), c.bytes.size());
    WaveLoader fromMemory;
    EXPECT_EQ(fromMemory.open(CSoundLoader::MEMORY_FILE_NAME, copy.get(), c.bytes.size()), 6) << c.label;
    EXPECT_NE(fromMemory.getLastError().find(c.problem), std::string::npos) << fromMemory.getLastError();
  }
}
