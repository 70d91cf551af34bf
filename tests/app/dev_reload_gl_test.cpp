// Author mode reloading what the show reads while it runs: models, animations,
// textures and the running order saved on disk reach the next frames (pixels read
// back), broken versions keep the old one and are reported with their file and
// line, and values the engine set once survive an effect reload (Page Down over
// the scenes inside a Qel file: the trampoline's neighbour test).
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/dev_mode.h"
#include "demo/demo_manager.h"
#include "demo/qel_scene_factory.h"
#include "demo/scene_manager.h"
#include "demo/scene_qel_trampoline.h"
#include "demo/show_fixtures.h"
#include "resource/res_mqo.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "resource/texture_manager.h"
#include "screen/scene_renderer.h"
#include "support/demo_fixture.h"
#include "support/image_fixtures.h"
#include "support/show_folder.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 90;

// A valid effect of one pass, lacking those the engine runs.
constexpr const char* kFillEffectForReload = R"(
float4 colour;
void fill() { gl_FragColor = colour; }
technique T { pass P { FragmentProgram = compile glslf fill(); } }
)";

// Polls the watcher until a saved file has settled (the watcher waits 250 ms).
void settle(CDevMode& dev, u32& now) {
  for (int poll = 0; poll < 4; ++poll, now += CFileWatcher::POLL_MILLISECONDS) dev.pollFiles();
}

// A side x side bitmap of one colour.
std::string solidBmp(u32 side, u8 r, u8 g, u8 b) {
  return fixture::bmp(side, side, 24, [=](u32, u32) { return fixture::Rgba{r, g, b, 255}; });
}

// The centre of the picture the show composes at demo time t.
std::array<u8, 4> composedCentre(DemoFixture& fixture, u32 t) { return fixture.pictureAt(t, kWidth / 2, kHeight / 2); }

bool mentions(const std::vector<std::string>& lines, const std::string& text) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

class DevReloadTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(mFixture.ok()) << mFixture.error();
    // Names in a running order stay inside the show's data folder, so the
    // test's files are written there and its rows name them from the folder above.
    mDir.write("data/flat.fx", flatEffect());
    mDir.write("data/plate.mqo", plateModel(1, 0, 0));
    mDir.write("data/show.qel", qelFile({"plate.mqo"}, twoScenes(0.0f)));
    mAnimation = "data/show.qel";
    SceneDefInfo row;
    row.name = mAnimation;
    row.shader = "default";
    mpScene = std::make_unique<CSceneQelTrampoline>(row);
    mManager.addScene(mpScene.get());
    demoManager().addSceneManager(0, &mManager);
    demoManager().addLineShader(0, nullptr);
    for (resourceObject* pResource : resourceManager::mpThis->getResources()) {
      if (pResource->getName() == "plate") mModelLoaded = pResource->getPath();
    }
    mDev.install();
    mFixture.clock().play(0);
  }

  void TearDown() override {
    mDev.uninstall();
    demoManager().clearSceneManagers();
  }

  // Two Qel scenes: "near" (0-2 s) and "far" (2-5.5 s), the camera at eyeX.
  static std::string twoScenes(float eyeX) {
    return qelScene("near", cameraObject({0.0f, 2.0f}, 5.0f, 0.0f, eyeX, eyeX) + modelObject(0)) +
           qelScene("far", cameraObject({0.0f, 1.0f, 3.5f}, 5.0f, 0.0f, eyeX, eyeX) + modelObject(0));
  }

  std::array<u8, 4> pictureAt(u32 t) {
    mDev.seek(t);
    return composedCentre(mFixture, t);
  }

  void save(const std::string& relative, const std::string& text) {
    mDir.write("data/" + relative, text);
    settle(mDev, mNow);
  }

  ShowFolder mDir;  // the working folder while the test runs
  DemoFixture mFixture{kWidth, kHeight};
  std::string mModelLoaded;  // the model's path as the animation loaded it
  std::string mAnimation;
  std::unique_ptr<CSceneQelTrampoline> mpScene;
  CSceneManager mManager;
  u32 mNow = 10000;
  CDevMode mDev{demoManager(), [this] { return mNow; }};
};

}  // namespace

TEST_F(DevReloadTest, AModelSavedOnDiskIsDrawnChangedAndABrokenOneKeepsTheOld) {
  EXPECT_EQ(pictureAt(500)[0], 255);
  EXPECT_EQ(pictureAt(500)[1], 0);

  testing::internal::CaptureStderr();
  save("plate.mqo", plateModel(0, 1, 0));
  std::string said = testing::internal::GetCapturedStderr();
  // The Qel file names its models from its own folder, so the path ends "\plate.mqo".
  EXPECT_NE(said.find("orvane: reloaded " + mModelLoaded + "\n"), std::string::npos) << said;
  EXPECT_EQ(pictureAt(500)[0], 0);
  EXPECT_EQ(pictureAt(500)[1], 255) << "every holder draws the new model";

  const std::string good = plateModel(0, 1, 0);
  testing::internal::CaptureStderr();
  save("plate.mqo", good.substr(0, good.size() / 2));
  said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("orvane: reload failed " + mModelLoaded + ":9: "), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "one line per reload: " << said;
  EXPECT_EQ(pictureAt(500)[1], 255) << "the old model keeps being drawn";
  EXPECT_TRUE(mentions(mDev.overlayLines(500), "RELOAD FAILED " + mModelLoaded + ":9: "));
}

TEST_F(DevReloadTest, AnAnimationWithANewCameraKeyMovesTheCameraAndRetimesItsScenes) {
  EXPECT_EQ(pictureAt(500)[0], 255);
  EXPECT_EQ(mpScene->getEndTime(), 5500u);
  // The camera far to the side: the plate leaves the picture; the last scene is longer.
  save("show.qel", qelFile({"plate.mqo"}, qelScene("near", cameraObject({0.0f, 2.0f}, 5.0f, 0.0f, 40000.0f, 40000.0f) +
                                                                 modelObject(0)) +
                                                qelScene("far", cameraObject({0.0f, 1.0f, 6.0f}) + modelObject(0))));
  EXPECT_TRUE(mDev.reloadErrors().empty()) << mDev.reloadErrors();
  EXPECT_EQ(pictureAt(500)[0], 0) << "the camera moved off the plate";
  EXPECT_EQ(mpScene->getEndTime(), 8000u);
  EXPECT_EQ(pictureAt(7000)[0], 255) << "the longer scene plays at its new end";

  // An animation naming a model that is not there is refused, not fatal.
  save("show.qel", qelFile({"missing.mqo"}, twoScenes(0.0f)));
  EXPECT_NE(mDev.reloadErrors().find(mAnimation + ":"), std::string::npos) << mDev.reloadErrors();
  EXPECT_EQ(mpScene->getEndTime(), 8000u);
  EXPECT_EQ(pictureAt(7000)[0], 255);
}

TEST_F(DevReloadTest, ARunningOrderWithASceneMovedPlaysItAtItsNewTime) {
  EXPECT_EQ(pictureAt(1000)[0], 255);
  const u32 before = mFixture.clock().getTime();
  const std::string moved = mAnimation + "\t0\t3000\t0\t0\t0\tdefault\n";
  mDev.reloadFile(CQelSceneFactory::DEFINITION_FILE, moved);
  EXPECT_TRUE(mDev.reloadErrors().empty()) << mDev.reloadErrors();
  EXPECT_EQ(mFixture.clock().getTime(), before) << "the time is kept";
  EXPECT_EQ(pictureAt(1000)[0], 0) << "the row's window now opens at 3 s";
  EXPECT_EQ(pictureAt(3500)[0], 255);
  EXPECT_TRUE(mentions(mDev.overlayLines(3500), "LINE 0 far "));

  const u32 current = mFixture.clock().getTime();
  mDev.reloadFile(CQelSceneFactory::DEFINITION_FILE, moved + "data\\qel\\nowhere.qel\t1\t0\t0\t0\t0\tdefault\n");
  EXPECT_NE(mDev.reloadErrors().find(std::string(CQelSceneFactory::DEFINITION_FILE) + ":2: "), std::string::npos)
      << mDev.reloadErrors();
  EXPECT_EQ(mFixture.clock().getTime(), current);
  EXPECT_EQ(pictureAt(1000)[0], 0) << "the refused order leaves the last good one";
  EXPECT_EQ(pictureAt(3500)[0], 255);
}

TEST_F(DevReloadTest, ARepaintedTextureAppearsUnderItsNameRebuildsModelsAtANewPaddedSizeAndABrokenOneKeepsTheOld) {
  mDir.write("data/paint.bmp", solidBmp(3, 255, 0, 0));
  std::string model = plateModel(1, 1, 1);
  model.replace(model.find("bump("), 0, "tex(\"paint.bmp\") ");
  mDir.write("data/textured.mqo", model);
  auto* pModel = static_cast<resMQO*>(resourceManager::mpThis->getResource("data/textured.mqo", resMQO::DTI));
  ASSERT_NE(pModel, nullptr);
  const resTexture* pTexture = pModel->getTexture(0);
  ASSERT_NE(pTexture, nullptr);
  EXPECT_FLOAT_EQ(pTexture->getScaleU(), 0.75f);
  const u32 id = textureManager::mpThis->getTextureId(pTexture);
  const u32 version = pModel->getVersion();
  mDev.watchLoadedFiles();
  const auto texel = [&] {
    std::array<u8, 4 * 16> pixels{};
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return std::array<u8, 3>{pixels[0], pixels[1], pixels[2]};
  };

  save("paint.bmp", solidBmp(4, 0, 0, 255));
  EXPECT_EQ(texel(), (std::array<u8, 3>{0, 0, 255}));
  EXPECT_EQ(textureManager::mpThis->getTextureId(pTexture), id);
  EXPECT_FLOAT_EQ(pTexture->getScaleU(), 1.0f);
  EXPECT_EQ(pModel->getVersion(), version + 1) << "lists compiled with the old scale are rebuilt";

  save("paint.bmp", solidBmp(4, 255, 0, 0).substr(0, 20));
  EXPECT_EQ(texel(), (std::array<u8, 3>{0, 0, 255}));
  EXPECT_NE(mDev.reloadErrors().find(pTexture->getPath() + ":0: "), std::string::npos) << mDev.reloadErrors();
  releaseResource(pModel);
}

// The engine's own effects with four anti-aliasing samples.
class DevEffectReloadTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(mFixture.ok()) << mFixture.error();
    mFixture.addScene(0, "grey", 0, 9999, {0.2f, 0.2f, 0.2f, 1.0f});
    mDev.install();
    mFixture.clock().play(0);
  }
  void TearDown() override {
    mDev.uninstall();
    demoManager().clearSceneManagers();
  }
  std::array<u8, 4> picture() { return composedCentre(mFixture, 100); }

  DemoFixture mFixture{kWidth, kHeight, 16, 9, 4};
  CDevMode mDev{demoManager(), [] { return 0u; }};
};

TEST_F(DevEffectReloadTest, ReloadedEngineEffectsKeepWhatTheEngineSetOnceAndVersionsLackingAPassAreRefused) {
  const std::array<u8, 4> before = picture();
  ASSERT_GT(before[0], 30);
  ASSERT_LT(before[0], 80);
  mDev.reloadFile(CSceneRenderer::CORE_EFFECT, kFillEffectForReload);
  mDev.reloadFile(CDemoManager::FINAL_EFFECT, kFillEffectForReload);
  EXPECT_EQ(mDev.getReloadCount(), 0u);
  EXPECT_NE(mDev.reloadErrors().find("core.fx:"), std::string::npos) << mDev.reloadErrors();
  EXPECT_NE(mDev.reloadErrors().find("finalScreenShader.fx:"), std::string::npos) << mDev.reloadErrors();
  EXPECT_NEAR(picture()[0], before[0], 2) << "the frame still draws with the old versions";

  for (const char* path : {CSceneRenderer::CORE_EFFECT, CDemoManager::DEFAULT_EFFECT, CDemoManager::FINAL_EFFECT}) {
    const std::optional<std::string> source = CFileWatcher::readDataFile(path);
    ASSERT_TRUE(source.has_value()) << path;
    mDev.reloadFile(path, *source);
  }
  EXPECT_EQ(mDev.getReloadCount(), 3u) << mDev.reloadErrors();
  const std::array<u8, 4> after = picture();
  EXPECT_NEAR(after[0], before[0], 2) << "core.fx keeps its sample count; the default stage keeps its screens";
  EXPECT_NEAR(after[1], before[1], 2);
}

TEST_F(DevReloadTest, TheFrameThatReloadsStillDrawsItsLinesScene) {
  ASSERT_TRUE(demoManager().runFrame(false));
  ASSERT_EQ(demoManager().getCurrentScene(0), mpScene.get());
  mDir.write("data/show.qel", qelFile({"plate.mqo"}, twoScenes(1.0f)));
  for (int frame = 0; frame < 6 && mDev.getReloadCount() == 0; ++frame, mNow += CFileWatcher::POLL_MILLISECONDS) {
    ASSERT_TRUE(demoManager().runFrame(false));
  }
  ASSERT_EQ(mDev.getReloadCount(), 1u);
  EXPECT_EQ(demoManager().getCurrentScene(0), mpScene.get()) << "chosen again after the reload, not skipped a frame";
}
