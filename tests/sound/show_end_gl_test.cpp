// The shipped music through the real player with the shipped running order: the
// music plays out and the demo clock carries the show past its last scene, so
// the frame cycle finds no scene within one frame of the show's end.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "demo/qel_scene_factory.h"
#include "demo/scene_manager.h"
#include "framework/shell_path.h"
#include "platform/sound_device.h"
#include "resource/shader_manager.h"
#include "resource/texture_manager.h"
#include "sound/demo_sound.h"
#include "support/gl_test_context.h"
#include "support/show_folder.h"

namespace {

// Builds every scene of the shipped running order and answers whether any line
// has a scene at a time, as the frame cycle asks.
class ShippedRunningOrder {
 public:
  bool build() {
    std::FILE* pFile = std::fopen(paths::hostPath(CQelSceneFactory::DEFINITION_FILE).c_str(), "r");
    if (!pFile) return false;
    mFactory.read(pFile);
    std::fclose(pFile);
    for (u32 row = 0; row < mFactory.getDefinitionCount(); ++row) {
      auto& pManager = mManagers.emplace_back(std::make_unique<CSceneManager>());
      IScene* pScene = mFactory.createScene(row);
      pScene->setLineIndex(mFactory.getDefinition(row).line);
      pManager->addScene(pScene);
      if (pScene->getEndTime() > mEnd) mEnd = pScene->getEndTime();
    }
    return !mManagers.empty();
  }
  bool anySceneAt(u32 time) const {
    for (const auto& pManager : mManagers) {
      if (pManager->getScene(time)) return true;
    }
    return false;
  }
  u32 end() const { return mEnd; }

 private:
  CQelSceneFactory mFactory;
  std::vector<std::unique_ptr<CSceneManager>> mManagers;
  u32 mEnd = 0;
};

}  // namespace

TEST(ShowEnd, TheShippedMusicCarriesTheShippedShowToItsEndAndNoFurtherThanOneFrame) {
  ShowFolder folder;
  GlTestContext context(64, 64);
  ASSERT_TRUE(context.ok()) << context.error();
  shaderManager::mpThis->initialize();
  {
    ShippedRunningOrder show;
    ASSERT_TRUE(show.build());

    // A frame at 60 frames per second is 735 device frames; the test's clock
    // moves by exactly what it lets the device play.
    constexpr u32 kFrameFrames = 735;
    u64 playedFrames = 0;
    auto device = platform::createNullSoundDevice();
    platform::SoundDevice* pDevice = device.get();
    CDemoSoundREAL demo([&playedFrames] { return static_cast<u32>(playedFrames * 1000 / 44100); });
    ASSERT_TRUE(demo.create(std::move(device), CSound::MUSIC_FILE_NAME));
    ASSERT_TRUE(demo.getSound()->isStreaming());
    const u32 musicEnd = static_cast<u32>(demo.getSound()->getLengthMilliseconds());
    ASSERT_GE(musicEnd + 20, show.end()) << "the music lasts as long as the show";

    demo.play(show.end() - 3000);
    std::vector<s16> out(kFrameFrames * 2);
    u32 time = 0;
    u32 lastShown = 0;
    for (int frame = 0; frame < 60 * 10; ++frame) {
      pDevice->mix(out.data(), kFrameFrames);
      playedFrames += kFrameFrames;
      demo.getSound()->syncWorker();
      time = demo.getTime();
      if (!show.anySceneAt(time)) break;
      lastShown = time;
    }
    EXPECT_FALSE(show.anySceneAt(time)) << "the show ended by itself; the clock stood at " << time;
    EXPECT_TRUE(demo.getSound()->hasEnded()) << "after the music had played out";
    EXPECT_GT(time, show.end());
    EXPECT_LE(time - show.end(), 17u) << "within one frame of the show's end";
    EXPECT_GE(lastShown + 17, show.end()) << "and the last scene was shown to its end";
  }
  textureManager::mpThis->deleteAllTextures();
  shaderManager::mpThis->destroyContext();
}
