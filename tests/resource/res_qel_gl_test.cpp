// Animations with their models: one loading step per model request, shared models,
// model objects as parts, material overwrite and reset, model lookup by file name,
// and the fatal end of a model that cannot load.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include "framework/critical_check.h"
#include "render/effect_support.h"
#include "resource/qel_animation.h"
#include "resource/res_mqo.h"
#include "support/fatal_text.h"

namespace {

std::string model(const char* objectA, const char* objectB) {
  // Appended in place: GCC 12 at -O1 takes a chain of temporaries here for an overflow.
  std::string text = "Metasequoia Document\nMaterial 1 {\n\t\"m\" col(0.5 0.5 0.5 1)\n}\nObject \"";
  text.append(objectA).append("\" {\n\tvertex 3 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t0 100 0\n\t}\n");
  text.append("\tface 1 {\n\t\t3 V(0 1 2) M(0)\n\t}\n}\nObject \"").append(objectB);
  return text.append("\" {\n\tvertex 1 {\n\t\t0 0 0\n\t}\n}\nEof\n");
}

const char* kShow =
    "MQO {\n"
    "\t# models of the show\n"
    "\t0 \"box.mqo\"\n"
    "\t1 \"boxfloor.mqo\"\n"
    "}\n"
    "Scene \"intro\" {\n"
    "\tObject -1 {\n\t\tDataNum 2\n\t\tTime { 0 4 }\n\t\tPart \"camera_pos\" {\n\t\t\tPosition { 0 0 0 0 0 8 }\n\t\t}\n\t}\n"
    "\tObject 1 {\n\t\tVisible 0\n\t\tDataNum 2\n\t\tTime { 0 4 }\n"
    "\t\tPart \"floor top\" {\n\t\t\tScale { 1 1 1 3 3 3 }\n\t\t}\n\t}\n"
    "}\nEof\n";

class QelGlTest : public EffectTest {
 protected:
  void SetUp() override {
    EffectTest::SetUp();
    write("box.mqo", model("box", "lid"));
    write("boxfloor.mqo", model("floor top", "floor side"));
  }
  resQEL* loadQel(const std::string& name, const std::string& text) {
    const std::string path = write(name, text);
    return static_cast<resQEL*>(resourceManager::mpThis->getResource(path.c_str(), resQEL::DTI));
  }
};

}  // namespace

TEST_F(QelGlTest, EveryModelRequestTakesOneLoadingStepAndSharedModelsAreCounted) {
  resourceManager& manager = *resourceManager::mpThis;
  manager.addPreload(write("show.qel", kShow).c_str());
  manager.addPreload(write("again.qel", "MQO {\n3 \"boxfloor.mqo\"\n}\nEof\n").c_str());
  manager.preparePreload(resQEL::getModelCount);
  const f32 step = manager.getLoadingStep();
  const f32 start = manager.getLoadingProgress();
  int steps = 0;
  manager.setLoadingListener([&steps](f32) { ++steps; });
  resQEL* pShow = loadQel("show.qel", kShow);
  resQEL* pAgain = loadQel("again.qel", "MQO {\n3 \"boxfloor.mqo\"\n}\nEof\n");
  manager.setLoadingListener(nullptr);
  ASSERT_NE(pShow, nullptr);
  ASSERT_NE(pAgain, nullptr);
  EXPECT_EQ(steps, 3);  // = the models counted for both files
  EXPECT_EQ(resQEL::getModelCount(pShow->getPath().c_str()) + resQEL::getModelCount(pAgain->getPath().c_str()), 3u);
  EXPECT_FLOAT_EQ(manager.getLoadingProgress(), start + 3 * step);
  resMQO* pFloor = pShow->mpQel->obj[1];
  ASSERT_NE(pFloor, nullptr);
  EXPECT_EQ(pAgain->mpQel->obj[3], pFloor);  // one model, shared by path
  EXPECT_EQ(pFloor->mRefPtr, 2u);
  EXPECT_EQ(pFloor->getPath(), mDir.path().string() + "\\boxfloor.mqo");  // the Qel file's folder
  releaseResource(pAgain);
  EXPECT_EQ(pFloor->mRefPtr, 1u);
  releaseResource(pShow);
}

TEST_F(QelGlTest, ModelObjectsBecomePartsNamedAfterTheModelsObjects) {
  resQEL* pShow = loadQel("show.qel", kShow);
  ASSERT_NE(pShow, nullptr);
  ASSERT_EQ(pShow->getSceneNum(), 1u);
  EXPECT_EQ(pShow->getSceneEnds(), (std::vector<f32>{4.0f}));
  const QelScene& scene = pShow->getScene(0);
  ASSERT_EQ(scene.objects.size(), 2u);
  const QelObject& floor = scene.objects[1];
  EXPECT_EQ(floor.mqo, pShow->mpQel->obj[1]);
  EXPECT_EQ(floor.visible, 0);
  ASSERT_EQ(floor.tracks.parts.size(), 2u);
  EXPECT_FLOAT_EQ(floor.tracks.evaluate("floor top", 2.0f).scale[0], 2.0f);
  EXPECT_FLOAT_EQ(floor.tracks.evaluate("floor side", 2.0f).scale[0], 1.0f);
  EXPECT_FLOAT_EQ(scene.objects[0].tracks.evaluate("camera_pos", 3.0f).position[2], 6.0f);
  EXPECT_EQ(pShow->getModelIndex("boxfloor.mqo"), 1u) << "models are found by part of their file name";
  EXPECT_EQ(pShow->getModelIndex("box"), 0u);
  releaseResource(pShow);
}

TEST_F(QelGlTest, APartTheModelDoesNotHaveIsAWarningAndTheOtherTracksPlay) {
  // A maker swapped the floor model for one without "floor top": its track is
  // ignored with a warning naming the file, the line and the part.
  std::string text = kShow;
  text.replace(text.find("floor top"), 9, "roof");
  text.replace(text.find("\t\tPart \"roof\""), 0, "\t\tPart \"floor side\" {\n\t\t\tAlpha { 1 0 }\n\t\t}\n");
  const std::string path = write("roof.qel", text);
  QelAnimation animation;
  ASSERT_TRUE(animation.read(path)) << animation.error();
  ASSERT_EQ(animation.warnings().size(), 1u);
  EXPECT_EQ(animation.warnings()[0].rfind(path + ":21: ", 0), 0u) << animation.warnings()[0];
  EXPECT_NE(animation.warnings()[0].find("part \"roof\" is not a part of model 1"), std::string::npos)
      << animation.warnings()[0];
  const QelTrackSet& floor = animation.scenes[0].objects[1].tracks;
  EXPECT_EQ(floor.parts.count("roof"), 0u);
  EXPECT_FLOAT_EQ(floor.evaluate("floor side", 2.0f).alpha, 0.5f);
  EXPECT_FLOAT_EQ(floor.evaluate("floor top", 2.0f).scale[0], 1.0f);
  EXPECT_FLOAT_EQ(animation.scenes[0].objects[0].tracks.evaluate("camera_pos", 3.0f).position[2], 6.0f);
  // Loaded as a resource, the show plays.
  resQEL* pShow = loadQel("roof.qel", text);
  ASSERT_NE(pShow, nullptr);
  EXPECT_EQ(pShow->getSceneNum(), 1u);
  releaseResource(pShow);
  // Damage inside the ignored part still fails the file and gives its models back.
  const std::size_t before = resourceManager::mpThis->getResources().size();
  text.replace(text.find("Scale { 1 1 1 3 3 3 }"), 21, "Scale { 1 1 1 3 }");
  EXPECT_EQ(loadQel("roofcut.qel", text), nullptr);
  EXPECT_EQ(resourceManager::mpThis->getResources().size(), before);
}

TEST_F(QelGlTest, ModelMaterialIsOverwrittenAndReset) {
  resQEL* pShow = loadQel("show.qel", kShow);
  ASSERT_NE(pShow, nullptr);
  MqoMaterial glowing;
  glowing.col = {1.0f, 0.25f, 0.0f, 1.0f};
  const MqoMaterial& set = pShow->setModelMaterial(&glowing, 1, 0);
  EXPECT_EQ(set.col[1], 0.25f);
  EXPECT_EQ(pShow->mpQel->obj[1]->getMaterial(0).col[0], 1.0f);
  EXPECT_EQ(pShow->mpQel->obj[0]->getMaterial(0).col[0], 0.5f);  // the other model is untouched
  const MqoMaterial& reset = pShow->setModelMaterial(nullptr, 1, 0);
  EXPECT_EQ(reset.col[0], 0.5f);
  releaseResource(pShow);
}

TEST_F(QelGlTest, AModelThatCannotLoadIsFatal) {
  EXPECT_EXIT(loadQel("lost.qel", "MQO {\n0 \"lost.mqo\"\n}\nEof\n"), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[obj[object_num] + \"\"]"));
}
