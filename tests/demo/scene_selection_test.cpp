// Picking each line's scene by demo time, with onEnter on a change of name (the
// show ending when no line has a scene: the Program tests).
#include <gtest/gtest.h>

#include <list>
#include <vector>

#include "demo/demo_manager.h"
#include "demo/scene.h"
#include "demo/scene_manager.h"
#include "support/demo_fixture.h"

namespace {

// Selection never draws: the GL scene of the demo fixture serves without a context.
ColourScene scene(const char* name, u32 start, u32 end, s32 content = 1) {
  return ColourScene(name, start, end, {0.0f, 0.0f, 0.0f, 1.0f}, content);
}

class SceneSelection : public testing::Test {
 protected:
  void TearDown() override { demoManager().clearSceneManagers(); }
  // A manager on the line holding the scenes.
  void add(int line, std::vector<ColourScene*> scenes) {
    mManagers.emplace_back();
    for (ColourScene* pScene : scenes) mManagers.back().addScene(pScene);
    demoManager().addSceneManager(line, &mManagers.back());
  }
  std::list<CSceneManager> mManagers;
};

}  // namespace

TEST_F(SceneSelection, EachLinePicksTheSceneCoveringTheTimeAndAnEmptyLineOneIsHidden) {
  ColourScene first = scene("first", 0, 999), second = scene("second", 1000, 1999), overlay = scene("overlay", 500, 1500),
              empty = scene("empty", 1501, 1999, 0);
  // Two rows on line 0: the last manager decides.
  add(0, {&first});
  add(0, {&second});
  add(1, {&overlay, &empty});
  CDemoManager& demo = demoManager();
  EXPECT_TRUE(demo.selectScenes(1200));
  EXPECT_EQ(demo.getCurrentScene(0), &second);
  EXPECT_EQ(demo.getCurrentScene(1), &overlay);
  EXPECT_TRUE(demo.selectScenes(1999));
  EXPECT_EQ(demo.getCurrentScene(0), &second);
  EXPECT_EQ(demo.getCurrentScene(1), nullptr) << "line 1 without content is hidden";
  EXPECT_EQ(empty.enters, 0);
}

TEST_F(SceneSelection, OnEnterOncePerChangeOfName) {
  ColourScene a = scene("same", 0, 999), b = scene("same", 1000, 1999), c = scene("other", 2000, 2999);
  add(0, {&a, &b, &c});
  CDemoManager& demo = demoManager();
  demo.selectScenes(0);
  demo.selectScenes(10);
  EXPECT_EQ(a.enters, 1);
  demo.selectScenes(1000);  // another scene of the same name: no onEnter
  EXPECT_EQ(b.enters, 0);
  demo.selectScenes(2000);
  EXPECT_EQ(c.enters, 1);
}
