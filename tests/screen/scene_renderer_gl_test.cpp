// The scene renderer on the show's screens: the direct path, the accumulation
// order of the multi-sample path (with a probe effect standing in for core.fx),
// the depth of the first sample, and the real core.fx averaging the samples.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <vector>

#include "demo/demo_manager.h"
#include "demo/scene.h"
#include "screen/scene_renderer.h"
#include "screen/scene_screen.h"
#include "support/demo_fixture.h"
#include "support/temp_dir.h"

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
  void draw(f32) override {
    const s32 index = sceneRenderer().getSampleIndex();
    indices.push_back(index);
    offsets.push_back(currentJitterOffset());
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

// A show folder whose core.fx tells its passes apart: pass 0 overwrites with
// red = 1 and blue = div / 8, pass 1 adds 1 to green, pass 2 halves green. Only
// the order 0, 1, 1, 1, 2 leaves green at 1.5.
constexpr const char* kProbeCore = R"(
uniform float4x4 projMat;
float div = 1;
sampler2D srcColBuf0;
sampler2D srcColBuf1;
varying vec2 uv;
void screenVertex() { gl_Position = projMat * gl_Vertex; uv = gl_MultiTexCoord0.xy; }
vec4 first() { return vec4(1.0, 0.0, div / 8.0, 0.0); }
vec4 add() { return vec4(0.0, 1.0, 0.0, 0.0); }
vec4 halve() { return vec4(1.0, 0.5, 1.0, 1.0); }
technique T {
  pass { VertexProgram = compile glslv screenVertex(); FragmentProgram = compile glslf first();
         DepthTestEnable = false; CullFaceEnable = false; BlendEnable = false; }
  pass { VertexProgram = compile glslv screenVertex(); FragmentProgram = compile glslf add();
         DepthTestEnable = false; CullFaceEnable = false; BlendEnable = true; BlendFunc = int2(One, One); }
  pass { VertexProgram = compile glslv screenVertex(); FragmentProgram = compile glslf halve();
         DepthTestEnable = false; CullFaceEnable = false; BlendEnable = true; BlendFunc = int2(Zero, SrcColor); }
}
)";

class ProbeShowFolder {
 public:
  ProbeShowFolder() : mPrevious(std::filesystem::current_path()) {
    const std::filesystem::path shaders = mDir.path() / "data" / "shader";
    std::filesystem::create_directories(shaders);
    for (const char* name : {"finalScreenShader.fx", "effectSample.fx"}) {
      std::filesystem::copy_file(mPrevious / "data" / "shader" / name, shaders / name);
    }
    std::ofstream(shaders / "core.fx") << kProbeCore;
    std::filesystem::current_path(mDir.path());
  }
  ~ProbeShowFolder() { std::filesystem::current_path(mPrevious); }

 private:
  TempDir mDir;
  std::filesystem::path mPrevious;
};

}  // namespace

TEST(SceneRenderer, WithoutSamplesDrawsOnceStraightIntoTheTarget) {
  DemoFixture demo(16, 16, 16, 9, 0);
  ASSERT_TRUE(demo.ok()) << demo.error();
  SampleScene scene;
  CSceneScreen& target = *demoManager().getSourceScreen(0);
  sceneRenderer().render(&scene, &target, 0.5f);
  ASSERT_EQ(scene.indices, std::vector<s32>({0}));
  EXPECT_EQ(scene.offsets[0].dx, 0.0);
  EXPECT_EQ(scene.offsets[0].dy, 0.0);
  const auto colour = colourOf(target);
  EXPECT_FLOAT_EQ(colour[0], 1.0f);
  EXPECT_FLOAT_EQ(colour[3], 0.25f) << "the direct path leaves the scene's alpha";
  EXPECT_NEAR(depthOf(target), 0.2f, 1e-4f);
}

TEST(SceneRenderer, FourSamplesDrawFourTimesAndRunPassesZeroOneOneOneTwo) {
  ProbeShowFolder folder;
  DemoFixture demo(16, 16, 16, 9, 4);
  ASSERT_TRUE(demo.ok()) << demo.error();
  SampleScene scene;
  CSceneScreen& target = *demoManager().getSourceScreen(0);
  sceneRenderer().render(&scene, &target, 0.5f);
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
    sceneRenderer().render(&scene, &target, 0.0f);
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
