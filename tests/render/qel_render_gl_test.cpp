// The Qel renderer: the camera's field of view,
// roll-free look-at with z negated, eye and light positions, invisible and
// screen-fixed objects, and matrix stacks left as found.
#include "render/qel_render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "demo/show_fixtures.h"
#include "render/camera_manager.h"
#include "render/effect_support.h"
#include "render/frame_context.h"
#include "render/light_manager.h"
#include "support/gl_state.h"
#include "resource/qel_animation.h"

namespace {

class QelRender : public EffectTest {
 protected:
  void SetUp() override {
    EffectTest::SetUp();
    write("flat.fx", flatEffect());
    write("red.mqo", plateModel(1, 0, 0));
    write("white.mqo", plateModel(1, 1, 1));
    // Small enough to leave the corners of the view free.
    write("small.mqo", plateModel({PlateMaterial{0, 0, 1}}, {PlateObject{"plate", 0, -5, -5, 5, 5}}));
  }
  void TearDown() override {
    releaseResource(mpQel);
    EffectTest::TearDown();
  }

  resQEL* loadQel(const std::string& scenes) {
    const std::string path = write("show.qel", qelFile({"red.mqo", "white.mqo", "small.mqo"}, scenes));
    mpQel = static_cast<resQEL*>(resourceManager::mpThis->getResource(path.c_str(), resQEL::DTI));
    return mpQel;
  }

  static std::array<f64, 16> matrix(GLenum which) {
    std::array<f64, 16> m{};
    glGetDoublev(which, m.data());
    return m;
  }
  static void clearToBlack() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }

  resQEL* mpQel = nullptr;
};

}  // namespace

TEST_F(QelRender, CameraGivesThirtyDegreesPlusRotationYAndNegatesDepth) {
  ASSERT_NE(loadQel(qelScene("plain", cameraObject({0.0f, 1.0f}, 5.0f)) +
                    qelScene("wide", cameraObject({0.0f, 1.0f}, 5.0f, static_cast<f32>(std::numbers::pi / 6.0)))),
            nullptr);
  cQelRender render;
  render.setQel(mpQel);
  render.setCamera(0, 0.5f, FrameContext{});
  // The projection's [1][1] is cot(fov / 2); the x scale is that over 16:9.
  std::array<f64, 16> projection = matrix(GL_PROJECTION_MATRIX);
  EXPECT_NEAR(projection[5], 1.0 / std::tan(15.0 * std::numbers::pi / 180.0), 1e-4);
  EXPECT_NEAR(projection[0], projection[5] / (16.0 / 9.0), 1e-4);
  const std::array<f64, 16> view = matrix(GL_MODELVIEW_MATRIX);
  EXPECT_NEAR(view[14], -5.0, 1e-5);  // Qel z of -5 puts the eye at +5 in GL
  EXPECT_NEAR(view[0], 1.0, 1e-6);    // no roll
  EXPECT_FLOAT_EQ(cameraManager::mpThis->mEyePos[2], -5.0f);
  EXPECT_FLOAT_EQ(lightManager::mpThis->mLightPos[2], 5.0f);

  render.setCamera(1, 0.5f, FrameContext{});
  projection = matrix(GL_PROJECTION_MATRIX);
  EXPECT_NEAR(projection[5], 1.0 / std::tan(30.0 * std::numbers::pi / 180.0), 1e-4);
}

TEST_F(QelRender, InvisibleObjectsAreSkippedAndStacksAreLeftAsFound) {
  // The red plate fills the view; the white one would, but it is invisible.
  ASSERT_NE(loadQel(qelScene("show", cameraObject({0.0f, 1.0f}) + modelObject(0) + modelObject(1, {"plate"}, 1, 0))),
            nullptr);
  cQelRender render;
  render.setQel(mpQel);
  OffscreenTarget target(16, 16);
  ASSERT_TRUE(target.complete());
  clearToBlack();
  glMatrixMode(GL_MODELVIEW);
  const GlState before = GlState::take();
  const std::array<f64, 16> projectionBefore = matrix(GL_PROJECTION_MATRIX);
  render.drawSceneByName("show", 0.5f, FrameContext{});
  EXPECT_EQ(target.pixel(8, 8), (std::array<int, 4>{255, 0, 0, 255}));
  EXPECT_EQ(GlState::take().differencesFrom(before), "");
  EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), projectionBefore);
}

TEST_F(QelRender, WithoutCameraObjectZeroIsDrawnAndScreenFixedObjectsAreNot) {
  // The first object is a model: without the camera it is drawn under the caller's matrices.
  ASSERT_NE(loadQel(qelScene("show", modelObject(0) + modelObject(1, {"plate"}, 0))), nullptr);
  cQelRender render;
  render.setQel(mpQel);
  OffscreenTarget target(16, 16);
  ASSERT_TRUE(target.complete());
  clearToBlack();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -1, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  render.drawScene(0, 0.0f, 0, FrameContext{});
  EXPECT_EQ(target.pixel(8, 8), (std::array<int, 4>{255, 0, 0, 255}));  // red, not the screen-fixed white
}
