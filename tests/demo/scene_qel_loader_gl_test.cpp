// The loading screen: an empty bar at progress 0 growing to a 9.5-unit bar at 1
// (the steps the resource manager reports: the loading progress test; the state
// the scene leaves: the scene catalogue).
#include "scenes/scene_qel_loader.h"

#include <gtest/gtest.h>

#include <vector>

#include "render/effect_support.h"
#include "render/frame_context.h"

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
  loader.draw(nullptr, progress, FrameContext{});
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

TEST_F(LoaderScene, TheBarGrowsWithTheProgressInsideAWhiteFrame) {
  CSceneQel_loader loader;
  drawLoader(loader, 0.0f);
  EXPECT_EQ(barPixels(), 0);
  EXPECT_EQ(mpTarget->pixel(kWidth / 2, kHeight / 2), (std::array<int, 4>{0, 0, 0, 255}));
  // The white frame shows above and below the black inside.
  EXPECT_EQ(mpTarget->pixel(kWidth / 2, static_cast<int>(kHeight / 2 + 0.36 * kPixelsPerUnit))[0], 255);
  for (const f32 progress : {0.25f, 0.5f, 1.0f}) {
    drawLoader(loader, progress);
    EXPECT_NEAR(barPixels(), expectedBarPixels(progress), 2) << progress;
  }
}
