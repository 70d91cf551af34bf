// Render objects: each pass applied once and its states put back, the immediate
// vertex lists drawn in the first pass and emptied, and geometry without an effect.
#include "render/render_object.h"

#include <gtest/gtest.h>

#include "render/effect_support.h"
#include "render/frame_context.h"
#include "support/gl_state.h"
#include "support/source_dir.h"

namespace {

// Fills its triangle list in pass 0 only and counts the passes it saw.
class TriangleObject : public cRenderObject {
 public:
  void drawGeometry(u32 pass) override {
    passes.push_back(pass);
    if (pass == 0) {
      triangleVertices.push_back({0, 0, 0, 0, 1, -1, -1, 0});
      triangleVertices.push_back({1, 0, 0, 0, 1, 1, -1, 0});
      triangleVertices.push_back({0, 1, 0, 0, 1, -1, 1, 0});
    }
    listsEmptyOnEntry.push_back(triangleVertices.size() == (pass == 0 ? 3u : 0u));
  }
  std::vector<u32> passes;
  std::vector<bool> listsEmptyOnEntry;
};

class RenderObject : public EffectTest {
 protected:
  void SetUp() override {
    EffectTest::SetUp();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
};

}  // namespace

TEST_F(RenderObject, EveryPassRunsOnceAndItsStatesAreRestored) {
  resShader* pShader = load("two.fx", testData("effects/two_pass_states.fx"));
  ASSERT_NE(pShader, nullptr);
  OffscreenTarget target(8, 8);
  ASSERT_TRUE(target.complete());
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  TriangleObject object;
  object.setShader(pShader);
  EXPECT_EQ(object.getShader(), pShader);
  const GlState before = GlState::take();
  object.draw(0.0f, FrameContext{});
  EXPECT_EQ(object.passes, (std::vector<u32>{0, 1}));
  EXPECT_TRUE(object.triangleVertices.empty());
  EXPECT_EQ(target.pixel(1, 1), (std::array<int, 4>{0, 255, 0, 255}));  // inside the triangle
  EXPECT_EQ(target.pixel(7, 7), (std::array<int, 4>{0, 0, 0, 255}));
  // A pass applied twice would have saved its own states as the ones to restore.
  EXPECT_EQ(GlState::take().differencesFrom(before), "");
}

TEST_F(RenderObject, WithoutAnEffectTheGeometryIsAskedForOnce) {
  TriangleObject object;
  object.draw(0.0f, FrameContext{});
  EXPECT_EQ(object.passes, (std::vector<u32>{0}));
}

