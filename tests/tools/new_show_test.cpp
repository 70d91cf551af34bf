// orvane-new-show's writer: the folders it refuses, the music's length read from
// WAV and Ogg files, tables the engine's readers take that explain their columns
// first, and a show exactly as long as its music, copied or generated.
#include "new-show/new_show.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "demo/scene_definitions.h"
#include "screen/post_effect_definitions.h"
#include "support/sound_fixtures.h"
#include "support/source_dir.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using orvane::newshow::musicSeconds;
using orvane::newshow::writeNewShow;

namespace {

fs::path shippedData() { return fs::path(orvaneSourceDir()) / "data"; }

std::string readText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A WAV of `seconds` of 16-bit stereo at 44.1 kHz.
std::string writeWave(const TempDir& dir, const std::string& name, double seconds) {
  return soundtest::write(dir, name,
                          soundtest::makeWave(soundtest::patternPcm(static_cast<u64>(seconds * 44100))));
}

// The last key time (s) of each Qel scene's first object, its camera.
std::vector<double> sceneLengths(const std::string& qel) {
  std::vector<double> lengths;
  for (std::size_t at = qel.find("Scene \""); at != std::string::npos; at = qel.find("Scene \"", at + 1)) {
    const std::size_t open = qel.find("Time {", at) + 6;
    std::istringstream times(qel.substr(open, qel.find('}', open) - open));
    double t = 0, last = 0;
    while (times >> t) last = t;
    lengths.push_back(last);
  }
  return lengths;
}

}  // namespace

TEST(NewShow, AFolderThatHoldsAnythingOrIsAFileIsRefusedAndLeftAlone) {
  TempDir dir;
  dir.write("taken/notes.txt", "mine");
  dir.write("file", "mine");
  const std::string wave = writeWave(dir, "music.wav", 2.0);
  EXPECT_EQ(writeNewShow(dir.path() / "taken", wave, shippedData()),
            (dir.path() / "taken").string() + " is not empty: a new show goes into a new or empty folder");
  EXPECT_FALSE(fs::exists(dir.path() / "taken/data"));
  EXPECT_EQ(readText(dir.path() / "taken/notes.txt"), "mine");
  EXPECT_NE(writeNewShow(dir.path() / "file", wave, shippedData()), "");
  EXPECT_EQ(readText(dir.path() / "file"), "mine");
  fs::create_directories(dir.path() / "empty");
  EXPECT_EQ(writeNewShow(dir.path() / "empty", wave, shippedData()), "") << "an empty folder is as good as none";
}

TEST(NewShow, MusicLengthComesFromWavAndOggAndOtherFilesAreNamedInTheError) {
  TempDir dir;
  std::string error;
  EXPECT_NEAR(musicSeconds(writeWave(dir, "a.wav", 2.5), error).value_or(0), 2.5, 1e-4) << error;
  EXPECT_NEAR(musicSeconds(soundtest::write(dir, "a.ogg", soundtest::makeOgg(3.0)), error).value_or(0), 3.0, 0.01)
      << error;
  const std::string text = dir.write("notes.txt", "not music at all");
  EXPECT_FALSE(musicSeconds(text, error).has_value());
  EXPECT_EQ(error, text + ": neither Ogg Vorbis nor WAV");
  EXPECT_FALSE(musicSeconds(writeWave(dir, "blip.wav", 0.1), error).has_value()) << "too short to hold a show";
  EXPECT_FALSE(musicSeconds(dir.path() / "missing.ogg", error).has_value());
  EXPECT_NE(error.find("missing.ogg"), std::string::npos);
}

TEST(NewShow, TheTablesExplainTheirColumnsAndTheShowLastsAsLongAsTheGivenMusic) {
  TempDir dir;
  const std::string wave = writeWave(dir, "music.wav", 7.25);
  const fs::path show = dir.path() / "show";
  ASSERT_EQ(writeNewShow(show, wave, shippedData()), "");
  EXPECT_EQ(readText(show / "data/air.ogg"), readText(wave)) << "the music is copied as it is";
  for (const char* table : {"sceneLineDefine.txt", "postEffectDefine.txt", "shaderTextureDefine.txt"}) {
    const std::string text = readText(show / "data/definition" / table);
    EXPECT_EQ(text.rfind("# ", 0), 0u) << table << " starts with comment lines";
    EXPECT_NE(text.find("Columns"), std::string::npos) << table;
  }
  // The engine's readers take the tables as written, comments and all.
  std::FILE* order = std::fopen((show / "data/definition/sceneLineDefine.txt").c_str(), "r");
  ASSERT_NE(order, nullptr);
  const std::vector<SceneDefInfo> rows = readSceneDefinitions(order, "sceneLineDefine.txt");
  std::fclose(order);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "data\\qel\\show.qel");
  std::FILE* table = std::fopen((show / "data/definition/postEffectDefine.txt").c_str(), "r");
  ASSERT_NE(table, nullptr);
  const std::vector<PostEffectEntry> entries = readPostEffectDefinitions(table);
  std::fclose(table);
  ASSERT_EQ(entries.size(), 3u) << "the grade, the fade in and the fade out";

  const std::vector<double> lengths = sceneLengths(readText(show / "data/qel/show.qel"));
  ASSERT_EQ(lengths.size(), 2u);
  EXPECT_NEAR(lengths[0] + lengths[1], 7.25, 1e-6) << "the scenes fill the music";
  u32 lastEnd = 0;
  for (const PostEffectEntry& entry : entries) lastEnd = std::max(lastEnd, entry.end);
  EXPECT_EQ(lastEnd, 7250u) << "the grade and the fade out end with the music";
  for (const char* effect : {"core.fx", "defaultShader.fx", "effectSample.fx", "finalScreenShader.fx", "postFade.fx"})
    EXPECT_EQ(readText(show / "data/shader" / effect), readText(shippedData() / "shader" / effect)) << effect;
}

TEST(NewShow, WithoutMusicAGeneratedTrackSetsTheLength) {
  TempDir dir;
  const fs::path show = dir.path() / "show";
  ASSERT_EQ(writeNewShow(show, std::nullopt, shippedData()), "");
  std::string error;
  const std::optional<double> seconds = musicSeconds(show / "data/air.ogg", error);
  ASSERT_TRUE(seconds.has_value()) << error;
  EXPECT_NEAR(*seconds, orvane::newshow::kGeneratedSeconds, 0.01);
  const std::vector<double> lengths = sceneLengths(readText(show / "data/qel/show.qel"));
  ASSERT_EQ(lengths.size(), 2u);
  EXPECT_NEAR(lengths[0] + lengths[1], orvane::newshow::kGeneratedSeconds, 1e-6);
}
