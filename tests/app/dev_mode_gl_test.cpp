// Author mode over a running demo manager: keys and the timeline move the clock
// and enter the scene found there, the show holds at its end, watched effect files
// reload once per content change (a broken edit keeps the old effect and shows
// its file and line), and the overlay's text reaches the picture.
#include "app/dev_mode.h"

#include "platform/gl.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "app/dev_overlay.h"
#include "demo/demo_manager.h"
#include "demo/frame_observer.h"
#include "demo/scene_manager.h"
#include "render/message_manager.h"
#include "resource/custom_texture_manager.h"
#include "resource/res_shader.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "screen/post_effect_manager.h"
#include "support/demo_fixture.h"
#include "support/show_folder.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 180;

class DevModeTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(mFixture.ok()) << mFixture.error();
    mManager.addScene(&mFirst);
    mManager.addScene(&mSecond);
    demoManager().addSceneManager(0, &mManager);
    demoManager().addLineShader(0, nullptr);
    mDev.install();
    mFixture.clock().play(0);
  }

  void TearDown() override {
    mDev.uninstall();
    demoManager().clearSceneManagers();
  }

  u32 time() { return mFixture.clock().getTime(); }
  // Polls the watcher until a saved file has settled (it waits 250 ms).
  void settle(int polls = 4) {
    for (int poll = 0; poll < polls; ++poll, mNow += 250) mDev.pollFiles();
  }
  // The reader sees `text` at `path` from now on, and the watcher settles on it.
  void save(const std::string& path, const std::string& text, int polls = 4) {
    mEdits[path] = text;
    settle(polls);
  }
  // The show goes on after a refused reload, and the overlay says so.
  void expectReloadFailedShown() {
    ASSERT_TRUE(demoManager().runFrame(false)) << "the show goes on";
    const std::vector<std::string> lines = mDev.overlayLines(time());
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind("RELOAD FAILED ", 0) == 0; }));
  }

  // Declared before the fixture: the scenes outlive the demo manager's shutdown.
  ColourScene mFirst{"first", 0, 4999, {0.0f, 0.0f, 0.0f, 1.0f}};
  ColourScene mSecond{"second", 5000, 11999, {0.0f, 0.0f, 0.0f, 1.0f}};
  CSceneManager mManager;
  DemoFixture mFixture{kWidth, kHeight};
  u32 mNow = 10000;
  std::map<std::string, std::string> mEdits;  // data path -> content the reader returns instead
  CDevMode mDev{demoManager(), [this] { return mNow; }, [this](const std::string& path) {
                  auto found = mEdits.find(path);
                  return found != mEdits.end() ? std::optional<std::string>(found->second)
                                               : CFileWatcher::readDataFile(path);
                }, nullptr};
};

resShader* loadedEffect(const char* baseName) {
  for (resourceObject* pResource : resourceManager::mpThis->getResources()) {
    auto* pShader = dynamic_cast<resShader*>(pResource);
    if (pShader && pShader->getPath().find(baseName) != std::string::npos) return pShader;
  }
  return nullptr;
}

}  // namespace

TEST_F(DevModeTest, KeysPauseSeekAndJumpBetweenSceneStarts) {
  using platform::Key;
  // Seeks stop at the show's start; the last boundary is the show's end.
  const std::pair<Key, u32> steps[] = {{Key::Right, 1000},   {Key::Up, 11000},      {Key::Down, 1000},
                                       {Key::Left, 0},       {Key::Left, 0},        {Key::PageDown, 5000},
                                       {Key::PageDown, 11999}, {Key::PageUp, 5000}, {Key::PageUp, 0}};
  for (const auto& [key, expected] : steps) {
    mDev.handleKey(key);
    EXPECT_EQ(time(), expected) << static_cast<int>(key);
  }
  mDev.handleKey(Key::Space);
  EXPECT_FALSE(mFixture.clock().isPlaying());
  mDev.handleKey(Key::Right);
  EXPECT_EQ(time(), 1000u);
  EXPECT_FALSE(mFixture.clock().isPlaying()) << "a paused seek stays paused";
  mDev.handleKey(Key::Space);
  EXPECT_TRUE(mFixture.clock().isPlaying());
  mDev.handleKey(Key::Space);
  mDev.handleKey(Key::Home);
  EXPECT_EQ(time(), 0u);
  EXPECT_TRUE(mFixture.clock().isPlaying()) << "Home restarts the show";
}

TEST_F(DevModeTest, APressOnTheTimelineSeeksADragFollowsUntilTheRelease) {
  ASSERT_TRUE(demoManager().runFrame(false));  // the overlay lays the bar out
  const devtimeline::Bar bar = mDev.getTimelineBar();
  const auto pointer = [&](platform::EventType type, int x, int y) {
    platform::Event event;
    event.type = type;
    event.x = x;
    event.y = y;
    mDev.handlePointer(event);
    return time();
  };
  using platform::EventType;
  const int middle = bar.top + bar.height / 2, last = bar.left + bar.width - 1;
  const u32 end = demoManager().getShowEndTime();
  EXPECT_EQ(pointer(EventType::PointerDown, last, middle), end);
  pointer(EventType::PointerUp, last, middle);
  EXPECT_EQ(pointer(EventType::PointerDown, bar.left, bar.top - 5), end) << "a press above the bar is not on it";
  EXPECT_EQ(pointer(EventType::PointerDown, bar.left, middle), 0u);
  EXPECT_EQ(pointer(EventType::PointerDrag, last, 0), end) << "a drag that leaves the bar keeps seeking";
  pointer(EventType::PointerUp, last, 0);
  EXPECT_EQ(pointer(EventType::PointerDrag, bar.left, middle), end) << "after the release, moves do not seek";
}

TEST_F(DevModeTest, AMusicThatEndsBeforeTheRunningOrderIsShownOnThePanelAndTheTimeline) {
  // The scenes run to 11.999 s.
  const auto musicMarks = [&] {
    std::vector<u32> times;
    for (const devtimeline::Mark& mark : mDev.timelineMarks())
      if (mark.kind == devtimeline::MarkKind::MusicEnd) times.push_back(mark.time);
    return times;
  };
  const auto saysSo = [&] {
    const std::vector<std::string> lines = mDev.overlayLines(time());
    return std::any_of(lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("MUSIC ENDS ", 0) == 0; });
  };
  mDev.setMusicEnd(7500);
  EXPECT_EQ(musicMarks(), std::vector<u32>{7500});
  const std::vector<std::string> lines = mDev.overlayLines(time());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "MUSIC ENDS 00:07.500: THE RUNNING ORDER GOES ON SILENT"), lines.end());
  for (const std::optional<u32> end : {std::optional<u32>(11999), std::optional<u32>(30000), std::optional<u32>()}) {
    mDev.setMusicEnd(end);
    EXPECT_TRUE(musicMarks().empty()) << "music as long as the show or longer, or none, is not marked";
    EXPECT_FALSE(saysSo());
  }
}

TEST_F(DevModeTest, TheShowHoldsItsLastFramePausedInsteadOfEnding) {
  mFixture.clock().play(11990);
  for (int frame = 0; frame < 5; ++frame) mFixture.clock().advance();
  ASSERT_TRUE(demoManager().runFrame(false)) << "the show goes on past its end";
  EXPECT_FALSE(mFixture.clock().isPlaying());
  EXPECT_EQ(time(), 11999u);
  EXPECT_EQ(demoManager().getCurrentScene(0), &mSecond);

  mDev.uninstall();
  mFixture.clock().play(12100);
  EXPECT_FALSE(demoManager().runFrame(false)) << "without author mode the show ends as before";
}

TEST_F(DevModeTest, AChangedEffectReloadsOncePerContentChangeAndABrokenEditIsShown) {
  resShader* pShader = loadedEffect("effectSample");
  ASSERT_NE(pShader, nullptr);
  const std::string path = pShader->getPath();
  const std::optional<std::string> original = CFileWatcher::readDataFile(path);
  ASSERT_TRUE(original.has_value());
  mDev.pollFiles();

  save(path, *original + "\n// a tweak\n", 8);
  EXPECT_EQ(mDev.getReloadCount(), 1u);
  EXPECT_EQ(loadedEffect("effectSample"), pShader) << "holders keep their pointer";
  ASSERT_TRUE(demoManager().runFrame(false));

  const fx::Effect* pWorking = pShader->getEffect();
  save(path, "float4 colour;\ntechnique T { pass P { FragmentProgram = ; } \n", 8);
  EXPECT_EQ(mDev.getReloadCount(), 1u);
  EXPECT_EQ(pShader->getEffect(), pWorking) << "the old version keeps running";
  EXPECT_NE(mDev.reloadErrors().find(path + ":2: error: "), std::string::npos) << mDev.reloadErrors();
  expectReloadFailedShown();

  save(path, *original, 8);
  EXPECT_EQ(mDev.getReloadCount(), 2u);
  EXPECT_TRUE(mDev.reloadErrors().empty()) << "a good save clears the report";
}

// Counts pale-green glyph pixels in the first overlay line's area while the
// composed picture is still in the back buffer, after author mode (or nothing) drew.
struct TextProbe : IFrameObserver {
  explicit TextProbe(CDevMode* pDev) : pDev(pDev) {}
  void onFrameComposed(u32 demoTime) override {
    if (pDev) pDev->onFrameComposed(demoTime);
    // The panel's cells at this window's scale.
    const float scale = devoverlay::panelScale(kWidth, kHeight);
    const int width = static_cast<int>(20 * devoverlay::CELL_WIDTH * scale);
    const int height = static_cast<int>(devoverlay::CELL_HEIGHT * scale);
    const int margin = static_cast<int>(devoverlay::MARGIN * scale);
    std::vector<u8> rgba(static_cast<std::size_t>(width) * height * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(margin, kHeight - margin - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    count = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4) count += rgba[i + 1] > 120 && rgba[i + 1] > rgba[i] + 60;
  }
  CDevMode* pDev;
  int count = -1;
};

TEST_F(DevModeTest, TheOverlayTextIsDrawnIntoTheComposedFrame) {
  messageManager::mpThis->initialize();
  TextProbe plain(nullptr);
  changeRunOptions([&](RunOptions& options) { options.pObserver = &plain; });
  ASSERT_TRUE(demoManager().runFrame(false));
  EXPECT_EQ(plain.count, 0) << "a plain frame has no text";

  TextProbe withOverlay(&mDev);
  changeRunOptions([&](RunOptions& options) { options.pObserver = &withOverlay; });
  ASSERT_TRUE(demoManager().runFrame(false));
  EXPECT_GT(withOverlay.count, 10) << "the first overlay line's glyphs, at the small window's scale";
  const int shown = withOverlay.count;

  // Tab hides the panel and the timeline, and shows them again.
  mDev.handleKey(platform::Key::Tab);
  ASSERT_TRUE(demoManager().runFrame(false));
  EXPECT_EQ(withOverlay.count, 0) << "the hidden panel draws nothing";
  EXPECT_FALSE(mDev.getTimelineBar().contains(kWidth / 2, kHeight - 10)) << "a hidden timeline takes no clicks";
  mDev.handleKey(platform::Key::Tab);
  ASSERT_TRUE(demoManager().runFrame(false));
  EXPECT_EQ(withOverlay.count, shown);
  changeRunOptions([&](RunOptions& options) { options.pObserver = nullptr; });
  messageManager::mpThis->deleteTextures();
}

TEST_F(DevModeTest, TheMainLoopHandsNonEscapeKeysToAuthorMode) {
  changeRunOptions([&](RunOptions& options) { options.frameLimit = 2; });
  platform::pushKeyDown(platform::Key::PageDown);
  platform::pushKeyDown(platform::Key::Space);
  EXPECT_EQ(demoManager().run(), 0);
  EXPECT_EQ(time(), 5000u) << "jumped to the second scene, then paused";
  EXPECT_FALSE(mFixture.clock().isPlaying());
  EXPECT_EQ(mSecond.enters, 1);
}

TEST_F(DevModeTest, ARefusedPostEffectTableKeepsTheOldOneAndShowsFileAndLine) {
  // A new effect that does not compile is a real file: its first load would stop the run.
  const ShowFolder show;
  show.effect("halfWritten.fx", "float4 colour;\ntechnique T { pass P { FragmentProgram = compile glslf ; } }\n");
  CPostEffectManager& table = mFixture.postEffects();
  mDev.pollFiles();
  save(CPostEffectManager::DEFINITION_FILE, "effectSample.fx 5000 8000 10 -1 -1\n");
  ASSERT_EQ(table.getEntryCount(), 1u);
  // Refused when the table is saved, not minutes later when the entry runs.
  save(CPostEffectManager::DEFINITION_FILE, "effectSample.fx 0 8000 10 -1 -1\nhalfWritten.fx 0 8000 11 -1 -1\n");
  ASSERT_EQ(table.getEntryCount(), 1u) << "the old table stays";
  EXPECT_EQ(table.getEntry(0).start, 5000u);
  EXPECT_EQ(mDev.reloadErrors().rfind(std::string(CPostEffectManager::DEFINITION_FILE) +
                                          ":2: error: halfWritten.fx does not load: ", 0), 0u)
      << mDev.reloadErrors();
  mDev.seek(1000);
  expectReloadFailedShown();
  save(CPostEffectManager::DEFINITION_FILE, "effectSample.fx 0 8000 10 0 3\n");
  EXPECT_EQ(table.getEntry(0).bufferID, 3);
  EXPECT_EQ(mDev.reloadErrors(), "");
  mDev.seek(6000);
  ASSERT_TRUE(demoManager().runFrame(false));
  const std::vector<std::string> lines = mDev.overlayLines(time());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "POST effectSample.fx pass 0 -> 3"), lines.end());
}

TEST_F(DevModeTest, AReloadedTableThatSkipsARowSaysWhichAndWhy) {
  CPostEffectManager& table = mFixture.postEffects();
  mDev.pollFiles();
  testing::internal::CaptureStderr();
  save(CPostEffectManager::DEFINITION_FILE,
       "effectSample.fx 0 8000 10 -1 -1\neffectSample.fx 0 8000\nnothere.fx 0 8000 11 -1 -1\n");
  save(customTextureManager::DEFINITION_FILE, "# textures\ndata\\texture\\vignette.tga\n");
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(table.getEntryCount(), 2u) << "the table is taken, without the short row";
  const std::string postTable = CPostEffectManager::DEFINITION_FILE;
  const std::string textureTable = customTextureManager::DEFINITION_FILE;
  for (const std::string& line :
       {postTable + ":2: the row has 3 of the 6 columns; row skipped\n",
        postTable + ":3: error: nothere.fx: the effect data\\shader\\nothere.fx is not found; the entry never runs\n",
        textureTable + ":2: the row has 1 of the 2 columns; row skipped\n"}) {
    EXPECT_NE(said.find(line), std::string::npos) << line << "\nin:\n" << said;
  }
}

TEST_F(DevModeTest, ARefusedEffectTextureTableKeepsTheOldOneAndShowsFileAndLine) {
  mDev.pollFiles();
  save(customTextureManager::DEFINITION_FILE, "data\\texture\\vignette.tga\tshVignette\n");
  ASSERT_EQ(customTextureManager::mpThis->getEntries().size(), 1u);
  const u32 reloads = mDev.getReloadCount();
  // A mistyped name, and one leaving the data folder.
  const std::string kBroken[][2] = {
      {"# textures\n\ndata\\texture\\vignete.tga shVignette\n",
       ":3: error: texture 'data\\texture\\vignete.tga' for parameter 'shVignette' cannot be loaded"},
      {"..\\..\\..\\etc\\x.tga\tshVignette\n", ":1: error: the texture name '..\\..\\..\\etc\\x.tga' leaves the data folder"},
  };
  for (const auto& [text, problem] : kBroken) {
    SCOPED_TRACE(text);
    save(customTextureManager::DEFINITION_FILE, text);
    EXPECT_EQ(mDev.getReloadCount(), reloads);
    ASSERT_EQ(customTextureManager::mpThis->getEntries().size(), 1u) << "the old table stays";
    EXPECT_EQ(mDev.reloadErrors().rfind(std::string(customTextureManager::DEFINITION_FILE) + problem, 0), 0u)
        << mDev.reloadErrors();
    expectReloadFailedShown();
  }
  // The corrected table loads, and the textures are held once each.
  save(customTextureManager::DEFINITION_FILE,
       "data\\texture\\vignette.tga\tshVignette\r\ndata\\texture\\vignette.tga\tshOther\r\n");
  EXPECT_EQ(mDev.reloadErrors(), "");
  ASSERT_EQ(customTextureManager::mpThis->getEntries().size(), 2u);
  EXPECT_EQ(customTextureManager::mpThis->getEntries()[1].parameterName, "shOther");
  EXPECT_EQ(customTextureManager::mpThis->getEntries()[0].pTexture->mRefPtr, 2u);
  customTextureManager::mpThis->releaseTextures();
}
