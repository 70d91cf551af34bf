// The scene renderer on the show's screens (the direct path: the Program tests):
// the accumulation order of the multi-sample path (with a probe effect standing in for core.fx),
// the depth of the first sample, and the real core.fx averaging the samples.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "demo/demo_manager.h"
#include "demo/scene.h"
#include "render/frame_context.h"
#include "screen/scene_renderer.h"
#include "screen/scene_screen.h"
#include "support/demo_fixture.h"
#include "support/show_folder.h"
#include "support/source_dir.h"

namespace {

// Clears colour and depth to values that say which sample is being drawn, and
// records the sample index and jitter the renderer published.
class SampleScene : public IScene {
 public:
  SampleScene() {
    setName("samples");
    setTimeRange(0, 1000);
  }
  void prepare() override {}
  void onEnter() override {}
  void release() override {}
  void draw(f32, const FrameContext& frame) override {
    const s32 index = sceneRenderer().getSampleIndex();
    indices.push_back(index);
    offsets.push_back(frame.jitter);
    glClearColor(index == 0 ? 1.0f : 0.0f, 1.0f, 0.0f, 0.25f);
    glClearDepth(0.2 + 0.1 * index);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
  }
  std::vector<s32> indices;
  std::vector<JitterOffset> offsets;
};

std::array<float, 4> colourOf(const CSceneScreen& screen) {
  std::array<float, 4> value{};
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, screen.getFrameBuffer());
  glReadPixels(4, 4, 1, 1, GL_RGBA, GL_FLOAT, value.data());
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  return value;
}

float depthOf(const CSceneScreen& screen) {
  float value = -1.0f;
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, screen.getFrameBuffer());
  glReadPixels(4, 4, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &value);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  return value;
}

}  // namespace

TEST(SceneRenderer, FourSamplesDrawFourTimesAndRunPassesZeroOneOneOneTwo) {
  const ShowFolder folder;
  folder.effect("core.fx", testData("effects/probe_core.fx"));
  DemoFixture demo(16, 16, 16, 9, 4);
  ASSERT_TRUE(demo.ok()) << demo.error();
  SampleScene scene;
  CSceneScreen& target = *demoManager().getSourceScreen(0);
  sceneRenderer().render(&scene, &target, 0.5f, FrameContext{});
  ASSERT_EQ(scene.indices, std::vector<s32>({0, 1, 2, 3}));
  const JitterOffset* table = jitterTable(4);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(scene.offsets[i].dx, table[i].dx) << i;
    EXPECT_EQ(scene.offsets[i].dy, table[i].dy) << i;
  }
  const auto colour = colourOf(target);
  EXPECT_FLOAT_EQ(colour[0], 1.0f) << "pass 0 ran for the first sample";
  EXPECT_FLOAT_EQ(colour[1], 1.5f) << "pass 1 three times, then pass 2";
  EXPECT_FLOAT_EQ(colour[2], 0.5f) << "div is the sample count";
  EXPECT_EQ(sceneRenderer().getSampleIndex(), 3) << "the index stays at the last sample";
  EXPECT_NEAR(depthOf(target), 0.2f, 1e-4f) << "the target's depth holds the first sample";
}

TEST(SceneRenderer, CoreEffectAveragesTheSamplesIntoAnOpaquePicture) {
  for (u32 samples : {2u, 4u, 8u}) {
    DemoFixture demo(16, 16, 16, 9, samples);
    ASSERT_TRUE(demo.ok()) << demo.error();
    SampleScene scene;
    CSceneScreen& target = *demoManager().getSourceScreen(0);
    sceneRenderer().render(&scene, &target, 0.0f, FrameContext{});
    ASSERT_EQ(scene.indices.size(), samples);
    const auto colour = colourOf(target);
    EXPECT_NEAR(colour[0], 1.0f / static_cast<float>(samples), 1e-3f) << samples;
    EXPECT_NEAR(colour[1], 1.0f, 1e-3f) << samples;
    EXPECT_FLOAT_EQ(colour[3], 1.0f) << samples;
  }
}

TEST(SceneRenderer, SampleCountsWithoutATableAreRefused) {
  DemoFixture demo(16, 16, 16, 9, 2);
  ASSERT_TRUE(demo.ok()) << demo.error();
  EXPECT_FALSE(sceneRenderer().initRenderer(5, nullptr));
  EXPECT_EQ(sceneRenderer().getSampleCount(), 2) << "the renderer keeps its last good setting";
}
