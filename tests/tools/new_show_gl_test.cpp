// A show from orvane-new-show played by the engine: the program plays it to the
// end of its music with lit frames and the music beside them, and in author mode
// a saved edit of its grade effect reaches the next picture.
#include "new-show/new_show.h"

#include "platform/gl.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#include "app/dev_mode.h"
#include "app/entry.h"
#include "demo/demo_manager.h"
#include "demo/qel_scene_factory.h"
#include "demo/scene_manager.h"
#include "demo/scene_qel_trampoline.h"
#include "platform/picture_decoder.h"
#include "resource/custom_texture_manager.h"
#include "support/demo_fixture.h"
#include "support/inherited_folder.h"
#include "support/run_program.h"
#include "support/sound_fixtures.h"
#include "support/source_dir.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderVariable = "ORVANE_TEST_NEW_SHOW";
constexpr double kMusicSeconds = 6.0;  // a fade in over 0-1 s, a fade out over 4-6 s

// A new show with a 6 s WAV, written once: a death-test child (which runs the
// test again from the start) plays the folder its parent wrote.
class NewShowFolder {
 public:
  NewShowFolder() {
    if (!mFolder.isNew()) return;
    TempDir music;
    const std::string wave = soundtest::write(
        music, "music.wav", soundtest::makeWave(soundtest::patternPcm(static_cast<u64>(kMusicSeconds * 44100))));
    error = orvane::newshow::writeNewShow(show(), wave, fs::path(orvaneSourceDir()) / "data");
  }
  fs::path root() const { return mFolder.path(); }
  fs::path show() const { return root() / "show"; }
  std::string error;

 private:
  InheritedFolder mFolder{kFolderVariable};
};

// The share of a picture's pixels that are lit, and whether it decoded.
std::optional<double> litShare(const fs::path& png) {
  std::ifstream file(png, std::ios::binary);
  const std::vector<u8> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  platform::DecodedPicture picture;
  std::string error;
  if (bytes.empty() || !platform::decodeAnyPicture(bytes.data(), bytes.size(), picture, error)) return std::nullopt;
  std::size_t lit = 0;
  for (std::size_t i = 0; i + 2 < picture.rgb.size(); i += 3) lit += picture.rgb[i] + picture.rgb[i + 1] + picture.rgb[i + 2] > 90;
  return static_cast<double>(lit) / (picture.rgb.size() / 3);
}

class NewShowPlay : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

}  // namespace

TEST_F(NewShowPlay, PlaysToTheEndOfItsMusicWithLitFramesAndTheMusic) {
  NewShowFolder folder;
  ASSERT_EQ(folder.error, "");
  const fs::path frames = folder.root() / "frames";
  EXPECT_EXIT(runProgramIn(folder.root(), {"--show", folder.show().string(), "--capture", frames.string(), "--fps", "4",
                                       "--size", "320x180"}),
              testing::ExitedWithCode(0), "");
  std::size_t count = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(frames)) count += entry.path().extension() == ".png";
  EXPECT_GE(count, 24u) << "the show plays the music's 6 s";
  EXPECT_LE(count, 25u) << "and ends with it";
  // Past the fade-in and before the fade-out the model, its floor and the grade show.
  for (const char* name : {"000006.png", "000012.png"}) {  // 1.5 s in the first scene, 3 s in the second
    const std::optional<double> share = litShare(frames / name);
    ASSERT_TRUE(share.has_value()) << name;
    EXPECT_GT(*share, 0.2) << name << " is mostly black";
  }
  const std::uintmax_t audioBytes = fs::file_size(frames / "audio.wav");
  EXPECT_NEAR(static_cast<double>(audioBytes), kMusicSeconds * 44100 * 4, 44100 * 4 * 0.3) << "the music beside them";
}

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 90;

// Works in the new show's folder for as long as it lives.
struct InShow {
  explicit InShow(const fs::path& show) : previous(fs::current_path()) { fs::current_path(show); }
  ~InShow() {
    std::error_code ignored;
    fs::current_path(previous, ignored);
  }
  fs::path previous;
};

}  // namespace

TEST(NewShowAuthorMode, ASavedEditOfTheGradeReachesTheNextPicture) {
  NewShowFolder folder;
  ASSERT_EQ(folder.error, "");
  InShow inShow(folder.show());
  DemoFixture fixture{kWidth, kHeight};
  ASSERT_TRUE(fixture.ok()) << fixture.error();
  for (auto [path, load] : {std::pair<const char*, bool (*)(std::FILE*, CPostEffectManager&)>{
                                CPostEffectManager::DEFINITION_FILE,
                                [](std::FILE* f, CPostEffectManager& m) { return m.loadDefinitions(f); }},
                            {customTextureManager::DEFINITION_FILE, [](std::FILE* f, CPostEffectManager&) {
                               return customTextureManager::mpThis->loadDefinitions(f);
                             }}}) {
    std::string hostPath = path;
    std::replace(hostPath.begin(), hostPath.end(), '\\', '/');
    std::FILE* file = std::fopen(hostPath.c_str(), "r");
    ASSERT_NE(file, nullptr) << hostPath;
    EXPECT_TRUE(load(file, fixture.postEffects())) << hostPath;
    std::fclose(file);
  }
  SceneDefInfo row;
  row.name = "data\\qel\\show.qel";
  row.shader = "default";
  auto pScene = std::make_unique<CSceneQelTrampoline>(row);
  CSceneManager manager;
  manager.addScene(pScene.get());
  CDemoManager& demo = demoManager();
  demo.addSceneManager(0, &manager);
  demo.addLineShader(0, nullptr);
  u32 now = 10000;
  CDevMode dev{demo, [&now] { return now; }};
  dev.install();
  fixture.clock().play(0);
  auto centreAt = [&](u32 t) {
    dev.seek(t);
    return fixture.pictureAt(t, kWidth / 2, kHeight / 2);
  };
  const std::array<u8, 4> before = centreAt(1500);
  EXPECT_GT(before[0] + before[1] + before[2], 90) << "the block is lit";
  dev.pollFiles();

  std::string grade;
  {
    std::ifstream file("data/shader/postGrade.fx", std::ios::binary);
    grade.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  const std::size_t body = grade.find("return vec4(clamp(c, 0.0, 1.0)");
  ASSERT_NE(body, std::string::npos);
  grade.insert(body, "return vec4(0.0, 0.0, 1.0, 1.0);\n  ");
  std::ofstream("data/shader/postGrade.fx", std::ios::binary) << grade;
  for (int poll = 0; poll < 8; ++poll, now += CFileWatcher::POLL_MILLISECONDS) dev.pollFiles();
  EXPECT_TRUE(dev.reloadErrors().empty()) << dev.reloadErrors();
  const std::array<u8, 4> after = centreAt(1500);
  EXPECT_EQ(after[0], 0);
  EXPECT_EQ(after[1], 0);
  EXPECT_EQ(after[2], 255) << "the saved grade paints the picture blue";

  dev.uninstall();
  demo.clearSceneManagers();
  customTextureManager::mpThis->releaseTextures();  // the table's textures were taken above
}
