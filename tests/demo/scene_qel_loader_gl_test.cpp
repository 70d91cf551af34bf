// The loading screen: an empty bar at progress 0, a 9.5-unit bar at 1, and the
// bar advancing once per model while the test show loads through the resource
// manager (the state it leaves is checked with the scene catalogue).
#include "scenes/scene_qel_loader.h"

#include <gtest/gtest.h>

#include <vector>

#include "render/effect_support.h"
#include "resource/qel_animation.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
// At 10 units from the camera a 45-degree, 4:3 view is 2 * 10 * tan(22.5) * 4/3 units wide.
constexpr double kPixelsPerUnit = kWidth / (2.0 * 10.0 * 0.41421356 * 4.0 / 3.0);

// White pixels of the middle row strictly inside the frame's black inside.
int barPixels() {
  std::vector<unsigned char> row(kWidth * 4);
  glReadPixels(0, kHeight / 2, kWidth, 1, GL_RGBA, GL_UNSIGNED_BYTE, row.data());
  const int inside = static_cast<int>(CSceneQel_loader::GAP_WIDTH * 0.5 * kPixelsPerUnit) - 1;
  int white = 0;
  for (int x = kWidth / 2 - inside; x < kWidth / 2 + inside; ++x) {
    if (row[x * 4] > 200 && row[x * 4 + 1] > 200 && row[x * 4 + 2] > 200) ++white;
  }
  return white;
}

int expectedBarPixels(f32 progress) {
  return static_cast<int>(progress * CSceneQel_loader::BAR_FULL_WIDTH * kPixelsPerUnit + 0.5);
}

void drawLoader(CSceneQel_loader& loader, f32 progress) {
  loader.update(nullptr, progress);
  loader.draw(nullptr, progress);
  loader.finish(nullptr, progress);
}

class LoaderScene : public EffectTest {
 protected:
  void SetUp() override {
    EffectTest::SetUp();
    mpTarget = std::make_unique<OffscreenTarget>(kWidth, kHeight);
    ASSERT_TRUE(mpTarget->complete());
    glEnable(GL_DEPTH_TEST);  // as the entry leaves it; the bar must not depend on it
    glDepthFunc(GL_LESS);
  }
  void TearDown() override {
    glDisable(GL_DEPTH_TEST);
    mpTarget.reset();
    EffectTest::TearDown();
  }
  std::unique_ptr<OffscreenTarget> mpTarget;
};

}  // namespace

TEST_F(LoaderScene, AnEmptyBarAdvancesOncePerModelWhileTheTestShowLoads) {
  const char* files[] = {"tests\\data\\data\\qel\\lineA.qel", "tests\\data\\data\\qel\\lineB.qel"};
  for (const char* file : files) resourceManager::mpThis->addPreload(file);
  resourceManager::mpThis->preparePreload(resQEL::getModelCount);
  EXPECT_FLOAT_EQ(resourceManager::mpThis->getLoadingStep(), 0.25f);  // three models and one
  CSceneQel_loader loader;
  drawLoader(loader, 0.0f);
  EXPECT_EQ(barPixels(), 0);
  EXPECT_EQ(mpTarget->pixel(kWidth / 2, kHeight / 2), (std::array<int, 4>{0, 0, 0, 255}));
  // The white frame shows above and below the black inside.
  EXPECT_EQ(mpTarget->pixel(kWidth / 2, static_cast<int>(kHeight / 2 + 0.36 * kPixelsPerUnit))[0], 255);
  std::vector<std::pair<f32, int>> frames;  // progress and bar pixels
  resourceManager::mpThis->setLoadingListener([&](f32 progress) {
    drawLoader(loader, progress);
    frames.emplace_back(resourceManager::mpThis->getLoadingProgress(), barPixels());
  });
  const f32 start = resourceManager::mpThis->getLoadingProgress();
  std::vector<resourceObject*> loaded;
  for (const char* file : files) {
    loaded.push_back(resourceManager::mpThis->getResource(file, resQEL::DTI));
    ASSERT_NE(loaded.back(), nullptr) << file;
  }
  resourceManager::mpThis->setLoadingListener(nullptr);
  ASSERT_EQ(frames.size(), 4u);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_FLOAT_EQ(frames[i].first, start + 0.25f * static_cast<f32>(i + 1));
    EXPECT_NEAR(frames[i].second, expectedBarPixels(frames[i].first), 2) << "frame " << i;
  }
  for (resourceObject*& pResource : loaded) releaseResource(pResource);
}
