// The scene catalogue under GL: every class is found by its name, draws a frame
// of its own through the trampoline and hands the GL state back as it found it;
// the light-balls timing and the box-floor check seen from outside.
#include <gtest/gtest.h>

#include "platform/gl.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/critical_check.h"
#include "render/qel_render.h"
#include "render/frame_context.h"
#include "resource/mqo_model.h"
#include "scenes/scene_lightballs.h"
#include "scenes/scene_patterns.h"
#include "scenes/scene_qel_loader.h"
#include "scenes/scene_stage.h"
#include "support/fatal_text.h"
#include "support/gl_state.h"

namespace {

const std::vector<std::string> kCatalogue = {
    "boxfloor1", "dnabox",    "finesky",    "greetz",     "happa",      "kusa",       "lightballs", "lightToSky",
    "pipe1",     "pipe2",     "sakuraFar1", "sakuraFar2", "SakuraKare", "sakuraSaku", "start",      "toTheSky"};

bool blank(const std::vector<u8>& frame) {
  for (std::size_t i = 4; i < frame.size(); ++i) {
    if (frame[i] != frame[i % 4]) return false;
  }
  return true;
}

// Pixels whose colour differs by more than a rounding step.
int differingPixels(const std::vector<u8>& a, const std::vector<u8>& b) {
  int count = 0;
  for (std::size_t i = 0; i < a.size(); i += 4) {
    for (int c = 0; c < 3; ++c) {
      if (std::abs(a[i + c] - b[i + c]) > 2) {
        ++count;
        break;
      }
    }
  }
  return count;
}

// Draws the trampoline at a progress twice (see SceneStage::drawChild) and
// reports any GL state a draw did not put back.
std::string drawAndCompareState(CSceneQelTrampoline& trampoline, f32 progress) {
  std::string leaks;
  for (int time = 0; time < 2; ++time) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    const GlState before = GlState::take();
    trampoline.draw(progress, FrameContext{});
    leaks += GlState::take().differencesFrom(before);
  }
  return leaks;
}

}  // namespace

TEST(SceneCatalogue, EachClassDrawsAFrameOfItsOwnAndLeavesTheGlStateAsFound) {
  SceneStage stage;
  ASSERT_TRUE(stage.ok()) << stage.error();
  std::vector<std::string> scenes = kCatalogue;
  scenes.push_back("plainCopy");  // no class: drawn by the default
  stage.writeQel("catalogue.qel", scenes);
  auto trampoline = stage.play("catalogue.qel");
  ASSERT_EQ(trampoline->getChildren().size(), scenes.size());
  trampoline->onEnter();
  // A state as the frame cycle leaves it, with a texture bound on a unit the
  // scenes' effects also use.
  glEnable(GL_CULL_FACE);
  glDepthFunc(GL_LEQUAL);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, texture);
  glActiveTexture(GL_TEXTURE0);

  std::vector<std::vector<u8>> frames;
  for (std::size_t i = 0; i < scenes.size(); ++i) {
    const CSceneQelDefault& child = *trampoline->getChildren()[i];
    ASSERT_STREQ(child.getDTI().getName(), i < kCatalogue.size() ? ("CSceneQel_" + scenes[i]).c_str()
                                                                   : "CSceneQelDefault");
    // 80 % into the child's two seconds.
    const f32 progress = (static_cast<f32>(i) * 2.0f + 1.6f) / (2.0f * static_cast<f32>(scenes.size()));
    EXPECT_EQ(drawAndCompareState(*trampoline, progress), "") << scenes[i];
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << scenes[i];
    frames.push_back(SceneStage::capture());
  }
  const std::vector<u8>& plain = frames.back();
  for (std::size_t i = 0; i < kCatalogue.size(); ++i) {
    EXPECT_FALSE(blank(frames[i])) << kCatalogue[i];
    if (i > 0) {
      EXPECT_GT(differingPixels(frames[i], frames[i - 1]), 20) << kCatalogue[i] << " vs " << kCatalogue[i - 1];
    }
    EXPECT_GT(differingPixels(frames[i], plain), 20) << kCatalogue[i] << " draws nothing of its own";
  }

  // The loading scene draws without a renderer, between model loads.
  CSceneQel_loader loader;
  const GlState before = GlState::take();
  loader.update(nullptr, 0.5f);
  loader.draw(nullptr, 0.5f, FrameContext{});
  loader.finish(nullptr, 0.5f);
  EXPECT_EQ(GlState::take().differencesFrom(before), "") << "loader";
  glDeleteTextures(1, &texture);
}

TEST(LightballsScene, AtHalfTimeDrawsOnlyItsQelSceneAndAtThreeQuartersTheBallsGlow) {
  SceneStage stage;
  ASSERT_TRUE(stage.ok()) << stage.error();
  stage.writeQel("balls.qel", {"lightballs", "plainCopy"});
  auto trampoline = stage.play("balls.qel");
  SceneStage::drawChild(*trampoline, 0, 0.5f);
  const std::vector<u8> balls = SceneStage::capture();
  SceneStage::drawChild(*trampoline, 1, 0.5f);
  EXPECT_FALSE(blank(balls));
  EXPECT_EQ(differingPixels(balls, SceneStage::capture()), 0);

  auto& scene = static_cast<CSceneQel_lightballs&>(*trampoline->getChildren()[0]);
  SceneStage::drawChild(*trampoline, 0, 0.75f);
  for (u32 s = 0; s < kLightballSystems; ++s) EXPECT_FLOAT_EQ(scene.getSystem(s).mIntensity, 0.7f) << s;
}

TEST(BoxfloorScene, FindsItsModelAndRestoresTheMaterialAfterEachFrame) {
  SceneStage stage;
  ASSERT_TRUE(stage.ok()) << stage.error();
  stage.writeQel("floor.qel", {"boxfloor1"});
  auto trampoline = stage.play("floor.qel");
  SceneStage::drawChild(*trampoline, 0, 0.25f);
  const MqoMaterial& material = trampoline->getRenderer()->setModelMaterial(nullptr, 0, 0);
  EXPECT_FLOAT_EQ(material.col[0], 0.8f);  // finish put the loaded colour back
  const std::vector<u8> early = SceneStage::capture();
  SceneStage::drawChild(*trampoline, 0, 0.9f);
  EXPECT_GT(differingPixels(early, SceneStage::capture()), 20);  // green turns red
}

TEST(BoxfloorScene, WithoutABoxfloorModelEndsWithItsMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SceneStage stage;
        if (!stage.ok()) std::exit(1);
        stage.writeQel("floor.qel", {"boxfloor1"}, "plainbox.mqo");
        stage.play("floor.qel");
      },
      testing::ExitedWithCode(vell::kFatalExitStatus),
      literalPattern("floor.qel: no model whose file name holds \"boxfloor.mqo\"") + ".*" +
          literalPattern("Critical error:[index<CDEMO_OBJECT_NUMMAX + \"\"]"));
}

TEST(QelCameraPattern, TheAlphaTestCoversTheQelSceneOrTheEffectsPerClass) {
  SceneStage stage;
  ASSERT_TRUE(stage.ok()) << stage.error();
  stage.writeQel("one.qel", {"plainCopy"});
  auto trampoline = stage.play("one.qel");
  cQelRender* pRender = trampoline->getRenderer();
  struct Case {
    AlphaTestSpan span;
    bool duringEffects;
  };
  for (const Case& c : {Case{AlphaTestSpan::none, false}, Case{AlphaTestSpan::qelScene, false},
                        Case{AlphaTestSpan::effects, true}}) {
    glAlphaFunc(GL_LESS, 0.5f);
    bool enabled = !c.duringEffects;
    GLfloat reference = -1.0f;
    const GlState before = GlState::take();
    drawUnderQelCamera(pRender, FrameContext{}, 0, 0.5f, c.span, 0.1f, [&] {
      enabled = glIsEnabled(GL_ALPHA_TEST);
      glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    });
    EXPECT_EQ(enabled, c.duringEffects);
    if (c.span == AlphaTestSpan::effects) EXPECT_FLOAT_EQ(reference, 0.1f);
    EXPECT_EQ(GlState::take().differencesFrom(before), "") << "the alpha test is put back";
  }
}
