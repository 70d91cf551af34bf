// The trampoline over a Qel file: children laid back to back from the camera keys,
// the active child and its progress, the play window, the neighbours of a child,
// content counts for line 1, and children going with their trampoline.
#include "demo/scene_qel_trampoline.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "demo/scene_qel_default.h"
#include "framework/critical_check.h"
#include "render/effect_support.h"
#include "render/qel_render.h"
#include "support/fatal_text.h"
#include "demo/show_fixtures.h"

namespace {

struct ProbeCall {
  std::string scene;
  std::string operation;
  f32 progress;
};

std::vector<ProbeCall> gCalls;
int gProbesAlive = 0;

// Records what the trampoline asks of a sub-scene; draws nothing itself.
class CSceneQel_probe : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_probe, CSceneQelDefault)
 public:
  CSceneQel_probe() { ++gProbesAlive; }
  ~CSceneQel_probe() override { --gProbesAlive; }
  void init(cQelRender* pRender) override { gCalls.push_back({getName(), pRender ? "init" : "init-null", 0.0f}); }
  void update(cQelRender*, f32 q) override { gCalls.push_back({getName(), "update", q}); }
  void draw(cQelRender*, f32 q) override { gCalls.push_back({getName(), "draw", q}); }
  void finish(cQelRender*, f32 q) override { gCalls.push_back({getName(), "finish", q}); }
};

// Every scene named probe* is driven by the probe class.
class CSceneQel_probeA : public CSceneQel_probe {
  VELL_CLASS(CSceneQel_probeA, CSceneQel_probe)
};
class CSceneQel_probeB : public CSceneQel_probe {
  VELL_CLASS(CSceneQel_probeB, CSceneQel_probe)
};
class CSceneQel_probeEmpty : public CSceneQel_probe {
  VELL_CLASS(CSceneQel_probeEmpty, CSceneQel_probe)
};

class Trampoline : public EffectTest {
 protected:
  void SetUp() override {
    EffectTest::SetUp();
    // Referenced here so that the records exist in this program.
    ASSERT_NE(&CSceneQel_probeA::DTI, nullptr);
    ASSERT_NE(&CSceneQel_probeB::DTI, nullptr);
    ASSERT_NE(&CSceneQel_probeEmpty::DTI, nullptr);
    gCalls.clear();
    write("flat.fx", kFlatEffect);
    write("plate.mqo", plateModel(1, 0, 0));
  }

  // Builds the trampoline of a running-order row naming a Qel file written here.
  std::unique_ptr<CSceneQelTrampoline> build(const std::string& scenes) {
    SceneDefInfo row;
    row.name = write("show.qel", qelFile({"plate.mqo"}, scenes));
    row.shader = "default";
    auto pScene = std::make_unique<CSceneQelTrampoline>(row);
    pScene->setWindow(pScene->getStartTime(), pScene->getEndTime());
    return pScene;
  }

  // Draws at demo time t (the trampoline starts at 0, so progress is t / length).
  static void drawAt(CSceneQelTrampoline& scene, f32 t) { scene.draw(t / static_cast<f32>(scene.getLength())); }

  std::vector<ProbeCall> callsOf(const std::string& operation) const {
    std::vector<ProbeCall> result;
    for (const ProbeCall& call : gCalls)
      if (call.operation == operation) result.push_back(call);
    return result;
  }

  const std::string kTwoScenes = qelScene("probeA", cameraObject({0.0f, 2.0f}) + modelObject(0)) +
                                 qelScene("probeB", cameraObject({0.0f, 1.0f, 3.5f}) + modelObject(0));
};

}  // namespace

TEST_F(Trampoline, ChildrenFollowTheCameraKeysBackToBackAndGoWithTheTrampoline) {
  const int alive = gProbesAlive;
  {
    auto pScene = build(kTwoScenes);
    EXPECT_EQ(gProbesAlive, alive + 2);
    ASSERT_EQ(pScene->getChildren().size(), 2u);
    const auto& children = pScene->getChildren();
    EXPECT_EQ(std::make_tuple(children[0]->getStartTime(), children[0]->getEndTime(), children[1]->getStartTime(),
                              children[1]->getEndTime(), pScene->getStartTime(), pScene->getEndTime()),
              std::make_tuple(0u, 2000u, 2000u, 5500u, 0u, 5500u));
    EXPECT_EQ(children[1]->getSceneIndex(), 1);
    EXPECT_STREQ(children[0]->getDTI().getName(), "CSceneQel_probeA");
    // init once each, in order, with the renderer.
    ASSERT_EQ(callsOf("init").size(), 2u);
    EXPECT_EQ(callsOf("init")[0].scene + callsOf("init")[1].scene, "probeAprobeB");
  }
  EXPECT_EQ(gProbesAlive, alive);
}

TEST_F(Trampoline, SharedMillisecondBelongsToTheEarlierChildAtFullProgress) {
  auto pScene = build(kTwoScenes);
  gCalls.clear();
  drawAt(*pScene, 2000.5f);
  ASSERT_EQ(gCalls.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(gCalls[i].operation, (std::vector<std::string>{"update", "draw", "finish"})[i]);
    EXPECT_EQ(gCalls[i].scene, "probeA");
    EXPECT_FLOAT_EQ(gCalls[i].progress, 1.0f);
  }
  gCalls.clear();
  drawAt(*pScene, 3750.5f);
  ASSERT_EQ(callsOf("draw").size(), 1u);
  EXPECT_EQ(callsOf("draw")[0].scene, "probeB");
  EXPECT_FLOAT_EQ(callsOf("draw")[0].progress, 0.5f);
}

TEST_F(Trampoline, AZeroLengthChildIsDrawnOnlyFirstAtMillisecondZeroWithProgressZero) {
  auto pScene = build(qelScene("probeA", cameraObject({0.0f, 2.0f}) + modelObject(0)) +
                      qelScene("probeEmpty", cameraObject({0.0f})) + qelScene("probeB", cameraObject({0.0f, 1.0f})));
  ASSERT_EQ(pScene->getChildren().size(), 3u);
  EXPECT_EQ(pScene->getChildren()[1]->getStartTime(), 2000u);
  EXPECT_EQ(pScene->getChildren()[1]->getEndTime(), 2000u);
  gCalls.clear();
  for (f32 t : {1999.5f, 2000.5f, 2001.5f}) drawAt(*pScene, t);
  ASSERT_EQ(callsOf("draw").size(), 3u);
  EXPECT_EQ(callsOf("draw")[0].scene + callsOf("draw")[1].scene + callsOf("draw")[2].scene, "probeAprobeAprobeB");

  pScene.reset();  // the next file is written under the same name
  auto pFirst = build(qelScene("probeEmpty", cameraObject({0.0f})) + qelScene("probeB", cameraObject({0.0f, 1.0f})));
  gCalls.clear();
  pFirst->draw(0.0f);
  ASSERT_EQ(callsOf("draw").size(), 1u);
  EXPECT_EQ(callsOf("draw")[0].scene, "probeEmpty");
  EXPECT_EQ(callsOf("draw")[0].progress, 0.0f);  // not the NaN of 0 / 0
}

TEST_F(Trampoline, OutsideThePlayWindowOnlyTheClearedBufferIsLeft) {
  auto pScene = build(kTwoScenes);
  pScene->setWindow(1000, 3000);
  OffscreenTarget target(8, 8);
  ASSERT_TRUE(target.complete());
  glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  pScene->onEnter();  // opaque black
  gCalls.clear();
  drawAt(*pScene, 500.5f);
  drawAt(*pScene, 3001.5f);
  EXPECT_TRUE(gCalls.empty());
  EXPECT_EQ(target.pixel(4, 4), (std::array<int, 4>{0, 0, 0, 255}));
  drawAt(*pScene, 1000.5f);
  drawAt(*pScene, 2999.5f);
  ASSERT_EQ(callsOf("draw").size(), 2u);
  EXPECT_EQ(callsOf("draw")[0].scene, "probeA");
  EXPECT_EQ(callsOf("draw")[1].scene, "probeB");
}

TEST_F(Trampoline, NeighboursAndContentCounts) {
  auto pScene = build(qelScene("probeA", cameraObject({0.0f, 2.0f}) + modelObject(0) + modelObject(0)) +
                      qelScene("probeB", cameraObject({0.0f, 1.0f, 3.5f})));
  CSceneQelDefault* pFirst = pScene->getChildren()[0].get();
  CSceneQelDefault* pSecond = pScene->getChildren()[1].get();
  EXPECT_EQ(pScene->getNextChild(100), pSecond);
  EXPECT_EQ(pScene->getNextChild(2000), pSecond);  // the shared millisecond is the first child's
  EXPECT_EQ(pScene->getNextChild(4000), nullptr);  // inside the last child
  EXPECT_EQ(pScene->getNextChild(6000), nullptr);  // inside none
  EXPECT_EQ(pScene->getPreviousChild(100), pFirst);  // the first child is its own previous
  EXPECT_EQ(pScene->getPreviousChild(4000), pFirst);
  EXPECT_EQ(pScene->getPreviousChild(6000), nullptr);
  // Content is the object count without the camera.
  EXPECT_EQ(pScene->hasContentAt(1000), 2);
  EXPECT_EQ(pScene->hasContentAt(2500), 0);  // only the camera
  EXPECT_EQ(pScene->hasContentAt(9000), 0);  // no child
}

TEST_F(Trampoline, SceneWithoutItsOwnClassIsDrawnByName) {
  auto pScene = build(qelScene("plain", cameraObject({0.0f, 1.0f}) + modelObject(0)));
  ASSERT_EQ(pScene->getChildren().size(), 1u);
  EXPECT_STREQ(pScene->getChildren()[0]->getDTI().getName(), "CSceneQelDefault");
  OffscreenTarget target(16, 16);
  ASSERT_TRUE(target.complete());
  pScene->onEnter();
  pScene->draw(0.5f);
  EXPECT_EQ(target.pixel(8, 8), (std::array<int, 4>{255, 0, 0, 255}));  // the red plate fills the view
}

TEST_F(Trampoline, FileThatDoesNotLoadIsFatal) {
  SceneDefInfo row;
  row.name = (mDir.path() / "missing.qel").string();
  EXPECT_EXIT(CSceneQelTrampoline scene(row), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[mpQEL + \"\"]"));
}
