// Model drawing: material colour and alpha, the line shader taking over with the
// model's own textures and colours, the depth nesting of animated objects, and
// instanced drawing.
#include "render/mqo_render.h"

#include <gtest/gtest.h>

#include <memory>

#include "demo/demo_manager.h"
#include "demo/show_fixtures.h"
#include "render/effect_support.h"
#include "render/frame_context.h"
#include "resource/current_effect.h"
#include "resource/qel_track_set.h"
#include "resource/res_mqo.h"

namespace {

class MqoRender : public EffectTest {
 protected:
  void SetUp() override {
    EffectTest::SetUp();
    write("flat.fx", flatEffect());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  void TearDown() override {
    for (resMQO*& pModel : mModels) releaseResource(pModel);
    EffectTest::TearDown();
  }

  resMQO* model(const std::string& name, const std::string& text) {
    const std::string path = write(name, text);
    mModels.push_back(static_cast<resMQO*>(resourceManager::mpThis->getResource(path.c_str(), resMQO::DTI)));
    return mModels.back();
  }

  // A square target, bound and cleared to opaque black.
  static std::unique_ptr<OffscreenTarget> blackTarget(int side) {
    auto target = std::make_unique<OffscreenTarget>(side, side);
    EXPECT_TRUE(target->complete());
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    return target;
  }
  static GLint modelviewDepth() {
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
  }

  std::vector<resMQO*> mModels;
};

}  // namespace

TEST_F(MqoRender, ColourAlphaIsScaledByTheDrawingAlpha) {
  resMQO* pModel = model("orange.mqo", plateModel(1.0f, 0.5f, 0.0f, 0.8f));
  ASSERT_NE(pModel, nullptr);
  cMqoRender render;
  render.setModel(pModel, nullptr);
  OffscreenTarget target(8, 8);
  ASSERT_TRUE(target.complete());
  render.setMaterial(0, 0.5f, 0.0f, FrameContext{});
  const CurrentEffect current(render.getShader());
  render.beginPass(0);
  glCallList(pModel->getMaterialList(0));
  render.endPass(0);
  const std::array<int, 4> pixel = target.pixel(4, 4);
  EXPECT_EQ(std::make_pair(pixel[0], pixel[2]), std::make_pair(255, 0));
  EXPECT_NEAR(pixel[1], 128, 1);
  EXPECT_NEAR(pixel[3], 102, 1);  // 0.8 x 0.5 = 0.4
}

TEST_F(MqoRender, LineShaderTakesOverEveryMaterialButKeepsItsColour) {
  resMQO* pModel = model("faint.mqo", plateModel(1.0f, 0.0f, 0.0f, 0.5f));
  resShader* pBlue = load("blue.fx", testData("effects/blue.fx"));
  ASSERT_NE(pModel, nullptr);
  ASSERT_NE(pBlue, nullptr);
  cMqoRender render;
  render.setModel(pModel, nullptr);
  FrameContext line;
  line.pOverrideEffect = pBlue;
  OffscreenTarget target(8, 8);
  ASSERT_TRUE(target.complete());
  render.draw(0.0f, line);
  EXPECT_EQ(render.getShader(), pBlue);
  const std::array<int, 4> pixel = target.pixel(4, 4);
  EXPECT_EQ(std::make_pair(pixel[0], pixel[2]), std::make_pair(0, 255));
  EXPECT_NEAR(pixel[3], 128, 1);  // the material's own alpha reached the line shader
  render.draw(0.0f, FrameContext{});
  EXPECT_NE(render.getShader(), pBlue);
  EXPECT_EQ(target.pixel(4, 4)[0], 255);
}

TEST_F(MqoRender, ChildrenMoveWithTheirParent) {
  // Only the root's track moves; its child at depth 1 follows, the object after it does not.
  resMQO* pModel = model("arm.mqo", plateModel({PlateMaterial{1, 0, 0}, PlateMaterial{0, 1, 0}},
                                               {PlateObject{"root", 0, -10, -10, 10, 10, 0},
                                                PlateObject{"child", 1, -10, 40, 10, 60, 1}}));
  ASSERT_NE(pModel, nullptr);
  QelTrackSet tracks;
  tracks.times = {0.0f};
  QelKey moved;
  moved.position[0] = 0.5f;
  tracks.parts["root"] = {moved};
  cMqoRender render;
  render.setModel(pModel, &tracks);
  const auto target = blackTarget(16);
  render.draw(0.0f, FrameContext{});
  // x = +0.5 is pixel 12; y = 0 is row 8 (the root) and y = 0.5 row 12 (the child).
  EXPECT_EQ(target->pixel(12, 8), (std::array<int, 4>{255, 0, 0, 255}));
  EXPECT_EQ(target->pixel(12, 12), (std::array<int, 4>{0, 255, 0, 255}));
  EXPECT_EQ(target->pixel(8, 12), (std::array<int, 4>{0, 0, 0, 255}));
}

TEST_F(MqoRender, InstancesDrawTheCurrentMaterial) {
  resMQO* pModel = model("still.mqo", plateModel(0, 1, 0));
  ASSERT_NE(pModel, nullptr);
  cMassMqoRender mass;
  mass.setModel(pModel, nullptr);
  const auto target = blackTarget(8);
  mass.beginMaterialPass(0.0f, 0, 0, 1.0f, FrameContext{});
  glPushMatrix();
  glTranslatef(-0.5f, 0.0f, 0.0f);
  glScalef(0.1f, 0.1f, 1.0f);
  mass.updateMatrices();
  mass.drawInstance();
  glPopMatrix();
  mass.endMaterialPass();
  EXPECT_EQ(target->pixel(2, 4), (std::array<int, 4>{0, 255, 0, 255}));
  EXPECT_EQ(target->pixel(6, 4), (std::array<int, 4>{0, 0, 0, 255}));
}

namespace {

// Records the materials set up, in order.
class MaterialRecorder : public cMqoRender {
 public:
  void setMaterial(u32 material, f32 alpha, f32 time, const FrameContext& frame) override {
    materials.push_back(material);
    cMqoRender::setMaterial(material, alpha, time, frame);
  }
  std::vector<u32> materials;
};

}  // namespace

TEST_F(MqoRender, OnlyTheMaterialsAnObjectUsesAreSetEachFrame) {
  // Three materials; the first object uses material 0, the second material 2, none uses 1.
  resMQO* pModel = model("sparse.mqo", plateModel({PlateMaterial{1, 0, 0}, PlateMaterial{0, 1, 0}, PlateMaterial{0, 0, 1}},
                                                  {PlateObject{"left", 0, -100, -100, 0, 100, 0},
                                                   PlateObject{"right", 0, 0, -100, 100, 100, 2}}));
  ASSERT_NE(pModel, nullptr);
  const auto target = blackTarget(8);
  MaterialRecorder still;
  still.setModel(pModel, nullptr);
  still.draw(0.0f, FrameContext{});
  EXPECT_EQ(still.getMaterialNum(), 3u);
  EXPECT_EQ(still.getPassNum(), 1u);  // the last material's effect
  EXPECT_EQ(still.materials, (std::vector<u32>{0, 2}));
  EXPECT_EQ(target->pixel(1, 4), (std::array<int, 4>{255, 0, 0, 255}));
  EXPECT_EQ(target->pixel(6, 4), (std::array<int, 4>{0, 0, 255, 255}));

  QelTrackSet tracks;
  tracks.times = {0.0f};
  tracks.parts["left"] = {QelKey{}};
  MaterialRecorder animated;
  animated.setModel(pModel, &tracks);
  glClear(GL_COLOR_BUFFER_BIT);
  animated.draw(0.0f, FrameContext{});
  EXPECT_EQ(animated.materials, (std::vector<u32>{0, 2}));  // one per object, its own
  EXPECT_EQ(target->pixel(1, 4), (std::array<int, 4>{255, 0, 0, 255}));
  EXPECT_EQ(target->pixel(6, 4), (std::array<int, 4>{0, 0, 255, 255}));
}

TEST_F(MqoRender, DepthsBelowZeroOrBeyondTheStackNeverTouchTheCallersMatrix) {
  // A first object at depth -1, a chain deeper than any modelview stack, a jump
  // to a large negative depth, then parent and child alternating many times.
  std::vector<PlateObject> objects;
  objects.push_back(PlateObject{"minus", -1, -10, -10, 10, 10});
  for (int depth = 0; depth < 80; ++depth) objects.push_back(PlateObject{"chain", depth, -10, -10, 10, 10});
  objects.push_back(PlateObject{"far", -1000000, -10, -10, 10, 10});
  for (int i = 0; i < 80; ++i) objects.push_back(PlateObject{"swing", i % 2, -10, -10, 10, 10});
  resMQO* pModel = model("deep.mqo", plateModel({PlateMaterial{1, 1, 1}}, objects));
  ASSERT_NE(pModel, nullptr);
  QelTrackSet tracks;
  tracks.times = {0.0f};
  QelKey moved;
  moved.position[0] = 0.001f;
  tracks.parts["chain"] = {moved};
  tracks.parts["swing"] = {moved};
  cMqoRender render;
  render.setModel(pModel, &tracks);
  OffscreenTarget target(8, 8);
  ASSERT_TRUE(target.complete());
  while (glGetError() != GL_NO_ERROR) {
  }
  glPushMatrix();  // the caller's own nesting
  glTranslatef(0.25f, 0.0f, 0.0f);
  std::array<f64, 16> before{};
  glGetDoublev(GL_MODELVIEW_MATRIX, before.data());
  const GLint depth = modelviewDepth();
  render.draw(0.0f, FrameContext{});
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));  // no stack overflow or underflow
  EXPECT_EQ(modelviewDepth(), depth);
  std::array<f64, 16> after{};
  glGetDoublev(GL_MODELVIEW_MATRIX, after.data());
  EXPECT_EQ(after, before);
  glPopMatrix();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
