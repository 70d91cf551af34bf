// Picking each line's scene by demo time, with onEnter on a change of name.
#include <gtest/gtest.h>

#include "demo/demo_manager.h"
#include "demo/scene.h"
#include "demo/scene_manager.h"
#include "support/demo_fixture.h"

namespace {

// Selection never draws: the GL scene of the demo fixture serves without a context.
using CountingScene = ColourScene;
constexpr std::array<float, 4> kBlack = {0.0f, 0.0f, 0.0f, 1.0f};

class SceneSelection : public testing::Test {
 protected:
  void TearDown() override { demoManager().clearSceneManagers(); }
};

}  // namespace

TEST_F(SceneSelection, EachLinePicksTheSceneCoveringTheTime) {
  CountingScene first("first", 0, 999, kBlack), second("second", 1000, 1999, kBlack), overlay("overlay", 500, 1500, kBlack);
  CSceneManager line0a, line0b, line1;
  line0a.addScene(&first);
  line0b.addScene(&second);
  line1.addScene(&overlay);
  CDemoManager& demo = demoManager();
  // Two rows on line 0: the last manager decides.
  demo.addSceneManager(0, &line0a);
  demo.addSceneManager(0, &line0b);
  demo.addSceneManager(1, &line1);

  EXPECT_TRUE(demo.selectScenes(1200));
  EXPECT_EQ(demo.getCurrentScene(0), &second);
  EXPECT_EQ(demo.getCurrentScene(1), &overlay);
  EXPECT_TRUE(demo.selectScenes(1999));
  EXPECT_EQ(demo.getCurrentScene(0), &second);
  EXPECT_EQ(demo.getCurrentScene(1), nullptr);
}

TEST_F(SceneSelection, OnEnterOncePerChangeOfName) {
  CountingScene a("same", 0, 999, kBlack), b("same", 1000, 1999, kBlack), c("other", 2000, 2999, kBlack);
  CSceneManager manager;
  manager.addScene(&a);
  manager.addScene(&b);
  manager.addScene(&c);
  CDemoManager& demo = demoManager();
  demo.addSceneManager(0, &manager);
  demo.selectScenes(0);
  demo.selectScenes(10);
  EXPECT_EQ(a.enters, 1);
  demo.selectScenes(1000);  // another scene of the same name: no onEnter
  EXPECT_EQ(b.enters, 0);
  demo.selectScenes(2000);
  EXPECT_EQ(c.enters, 1);
}

TEST_F(SceneSelection, LineOneWithoutContentIsHiddenButLineZeroStays) {
  CountingScene base("base", 0, 999, kBlack), empty("empty", 0, 999, kBlack, 0);
  CSceneManager line0, line1;
  line0.addScene(&base);
  line1.addScene(&empty);
  CDemoManager& demo = demoManager();
  demo.addSceneManager(0, &line0);
  demo.addSceneManager(1, &line1);
  EXPECT_TRUE(demo.selectScenes(100));
  EXPECT_EQ(demo.getCurrentScene(0), &base);
  EXPECT_EQ(demo.getCurrentScene(1), nullptr);
  EXPECT_EQ(empty.enters, 0);
}

TEST_F(SceneSelection, ShowEndsWhenNoLineHasAScene) {
  CountingScene only("only", 0, 999, kBlack);
  CSceneManager manager;
  manager.addScene(&only);
  demoManager().addSceneManager(0, &manager);
  EXPECT_TRUE(demoManager().selectScenes(999));
  EXPECT_FALSE(demoManager().selectScenes(1000));
  EXPECT_EQ(demoManager().getCurrentScene(0), nullptr);
}
