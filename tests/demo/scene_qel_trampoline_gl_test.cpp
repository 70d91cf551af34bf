// The trampoline over a Qel file: children laid back to back from the camera keys,
// the active child and its progress, the neighbours of a child, content counts for
// line 1, and children going with their trampoline (the play window and scenes
// without a class of their own: the Program tests and the scene catalogue).
#include "demo/scene_qel_trampoline.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "demo/scene_qel_default.h"
#include "framework/critical_check.h"
#include "render/effect_support.h"
#include "render/frame_context.h"
#include "render/qel_render.h"
#include "support/fatal_text.h"
#include "demo/show_fixtures.h"

namespace {

// What the trampoline asked of its sub-scenes: "scene operation progress;" per call.
std::string gCalls;
int gProbesAlive = 0;

void record(const std::string& scene, const char* operation, f32 progress) {
  char number[32];
  std::snprintf(number, sizeof number, " %g;", progress);
  gCalls += scene + " " + operation + number;
}

// Records what the trampoline asks of a sub-scene; draws nothing itself.
class CSceneQel_probe : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_probe, CSceneQelDefault)
 public:
  CSceneQel_probe() { ++gProbesAlive; }
  ~CSceneQel_probe() override { --gProbesAlive; }
  void init(cQelRender* pRender) override { record(getName(), pRender ? "init" : "init-null", 0.0f); }
  void update(cQelRender*, f32 q) override { record(getName(), "update", q); }
  void draw(cQelRender*, f32 q, const FrameContext&) override { record(getName(), "draw", q); }
  void finish(cQelRender*, f32 q) override { record(getName(), "finish", q); }
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
    write("flat.fx", flatEffect());
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
  static void drawAt(CSceneQelTrampoline& scene, f32 t) { scene.draw(t / static_cast<f32>(scene.getLength()), FrameContext{}); }

  // The draw calls alone, "scene progress;" each.
  static std::string draws() {
    std::string result;
    for (std::size_t at = 0, end; (end = gCalls.find(';', at)) != std::string::npos; at = end + 1) {
      const std::string call = gCalls.substr(at, end - at);
      const std::size_t space = call.find(" draw ");
      if (space != std::string::npos) result += call.substr(0, space) + call.substr(space + 5) + ";";
    }
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
    EXPECT_EQ(gCalls, "probeA init 0;probeB init 0;") << "init once each, in order, with the renderer";
  }
  EXPECT_EQ(gProbesAlive, alive);
}

TEST_F(Trampoline, SharedMillisecondBelongsToTheEarlierChildAtFullProgress) {
  auto pScene = build(kTwoScenes);
  gCalls.clear();
  drawAt(*pScene, 2000.5f);
  EXPECT_EQ(gCalls, "probeA update 1;probeA draw 1;probeA finish 1;");
  gCalls.clear();
  drawAt(*pScene, 3750.5f);
  EXPECT_EQ(draws(), "probeB 0.5;");
}

TEST_F(Trampoline, AZeroLengthChildIsDrawnOnlyFirstAtMillisecondZeroWithProgressZero) {
  auto pScene = build(qelScene("probeA", cameraObject({0.0f, 2.0f}) + modelObject(0)) +
                      qelScene("probeEmpty", cameraObject({0.0f})) + qelScene("probeB", cameraObject({0.0f, 1.0f})));
  ASSERT_EQ(pScene->getChildren().size(), 3u);
  EXPECT_EQ(pScene->getChildren()[1]->getStartTime(), 2000u);
  EXPECT_EQ(pScene->getChildren()[1]->getEndTime(), 2000u);
  gCalls.clear();
  for (f32 t : {1999.5f, 2000.5f, 2001.5f}) drawAt(*pScene, t);
  EXPECT_EQ(draws(), "probeA 0.9995;probeA 1;probeB 0.001;");

  pScene.reset();  // the next file is written under the same name
  auto pFirst = build(qelScene("probeEmpty", cameraObject({0.0f})) + qelScene("probeB", cameraObject({0.0f, 1.0f})));
  gCalls.clear();
  pFirst->draw(0.0f, FrameContext{});
  EXPECT_EQ(draws(), "probeEmpty 0;") << "not the NaN of 0 / 0";
}

TEST_F(Trampoline, NeighboursPiecesAndContentCounts) {
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

  // A bench charges the child playing, placed in demo time by the row's start.
  pScene->setTimeRange(10000, 10000 + pScene->getLength());
  const IScene::Piece second = pScene->pieceAt(2500);
  EXPECT_EQ(std::make_tuple(second.name, second.start, second.end),
            std::make_tuple(pScene->getName() + ": probeB", 12000u, 15500u));
  const IScene::Piece none = pScene->pieceAt(9000);
  EXPECT_EQ(std::make_tuple(none.name, none.start, none.end), std::make_tuple(pScene->getName(), 10000u, 15500u));
}

TEST_F(Trampoline, FileThatDoesNotLoadIsFatalAfterSayingWhy) {
  SceneDefInfo row;
  row.name = "data\\qel\\missing.qel";
  row.fileLine = 7;
  EXPECT_EXIT(CSceneQelTrampoline scene(row), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("sceneLineDefine.txt: line 7: the animation " + row.name +
                             " cannot be loaded: it is not found\nCritical error:[mpQEL + \"\"]"));
}
