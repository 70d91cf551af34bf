// Sharing by exact file name, extension masks, failed loads and the release rule;
// the loading progress: animation files registered once, their models counted,
// and each loaded model a step the listener hears.
#include "resource/resource_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "framework/critical_check.h"
#include "framework/vell_file.h"
#include "resource/qel_animation.h"
#include "support/fatal_text.h"
#include "support/temp_dir.h"

namespace {

// A resource that accepts ".img" and ".pic" files and fails on a file that says "bad".
class TestImage : public resourceObject {
  VELL_CLASS(TestImage, resourceObject)
 public:
  ~TestImage() override { ++sDestroyed; }
  bool load(VellFileStream& stream) override {
    resourceObject::load(stream);
    char first = 0;
    stream.read(&first, 1);
    return first != 'b';
  }
  const char* getExtensionMask() const override { return "img|pic"; }
  inline static int sDestroyed = 0;
};

class TestScript : public resourceObject {
  VELL_CLASS(TestScript, resourceObject)
 public:
  ~TestScript() override = default;
  const char* getExtensionMask() const override { return "fx|cgfx"; }
};

bool listed(const resourceObject* pResource) {
  const auto& list = resourceManager::mpThis->getResources();
  return std::find(list.begin(), list.end(), pResource) != list.end();
}

}  // namespace

TEST(ResourceManager, SameNameIsSharedAndLastReleaseDestroys) {
  TempDir dir;
  dir.write("Data/Texture/sky.img", "good");
  const std::string path = dir.path().string() + "\\data\\texture\\sky.img";
  resourceManager& manager = *resourceManager::mpThis;
  resourceObject* first = manager.getResource(path.c_str(), TestImage::DTI);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->getName(), "sky");
  resourceObject* second = manager.getResource(path.c_str(), TestImage::DTI);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->mRefPtr, 2u);

  const int destroyedBefore = TestImage::sDestroyed;
  releaseResource(second);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(first->mRefPtr, 1u);
  EXPECT_TRUE(listed(first));
  resourceObject* keep = first;
  releaseResource(first);
  EXPECT_EQ(TestImage::sDestroyed, destroyedBefore + 1);
  EXPECT_FALSE(listed(keep));
  // Sharing is by the exact name, while extension masks ignore case.
  const std::string lower = dir.write("photo.IMG", "good");
  const std::string upper = dir.write("PHOTO.IMG", "good");
  resourceObject* a = manager.getResource(lower.c_str(), TestImage::DTI);
  resourceObject* b = manager.getResource(upper.c_str(), TestImage::DTI);
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a, b);
  releaseResource(a);
  releaseResource(b);
}

TEST(ResourceManager, MaskMismatchLeavesNothingUntilLoadedAsTheRightClass) {
  TempDir dir;
  const std::string path = dir.write("effect.fx", "technique");
  const std::size_t before = resourceManager::mpThis->getResources().size();
  EXPECT_EQ(resourceManager::mpThis->getResource(path.c_str(), TestImage::DTI), nullptr);
  EXPECT_EQ(resourceManager::mpThis->getResources().size(), before);
  resourceObject* script = resourceManager::mpThis->getResource(path.c_str(), TestScript::DTI);
  ASSERT_NE(script, nullptr);
  // Sharing ignores the class: the loaded script comes back for an image request.
  resourceObject* again = resourceManager::mpThis->getResource(path.c_str(), TestImage::DTI);
  EXPECT_EQ(again, script);
  releaseResource(again);
  releaseResource(script);
}

TEST(ResourceManager, MissingFilesAndFailedLoadsYieldNull) {
  TempDir dir;
  const std::string missing = dir.path().string() + "/later.img";
  const std::size_t before = resourceManager::mpThis->getResources().size();
  EXPECT_EQ(resourceManager::mpThis->getResource(missing.c_str(), TestImage::DTI), nullptr);
  const std::string noExtension = dir.write("plain", "good");
  EXPECT_EQ(resourceManager::mpThis->getResource(noExtension.c_str(), TestImage::DTI), nullptr);
  const std::string bad = dir.write("bad.pic", "bad");
  const int destroyedBefore = TestImage::sDestroyed;
  EXPECT_EQ(resourceManager::mpThis->getResource(bad.c_str(), TestImage::DTI), nullptr);
  EXPECT_EQ(TestImage::sDestroyed, destroyedBefore + 1);
  EXPECT_EQ(resourceManager::mpThis->getResources().size(), before);

  dir.write("later.img", "good");  // a later request tries the file again
  resourceObject* later = resourceManager::mpThis->getResource(missing.c_str(), TestImage::DTI);
  ASSERT_NE(later, nullptr);
  releaseResource(later);
}

TEST(ResourceManager, EverySpellingOfOneFileIsOneResourceAndNamesLeavingTheDataFolderAreRefused) {
  TempDir dir;
  dir.write("data/shader/showGlow.fx", "technique");
  dir.write("data/model/wood.img", "good");
  dir.write("models/a.img", "good");
  std::filesystem::create_symlink(dir.path() / "data/shader/showGlow.fx", dir.path() / "data/model/glow.fx");
  std::filesystem::create_symlink(dir.path() / "models/a.img", dir.path() / "data/model/escape.img");
  const WorkingFolder working(dir.path());
  resourceManager& manager = *resourceManager::mpThis;
  // A model names its effect from its own folder, the post-effect table from data\shader\.
  resourceObject* table = manager.getResource("data\\shader\\showGlow.fx", TestScript::DTI);
  ASSERT_NE(table, nullptr);
  for (const char* spelling : {"./data/model/../shader/showGlow.fx", "data\\Shader\\showglow.fx", "data\\model\\glow.fx"}) {
    resourceObject* model = manager.getResource(spelling, TestScript::DTI);
    EXPECT_EQ(model, table) << spelling;
    EXPECT_EQ(manager.findResource(spelling), table) << spelling;
    releaseResource(model);
  }
  EXPECT_EQ(table->mRefPtr, 1u);
  releaseResource(table);

  const std::size_t before = manager.getResources().size();
  for (const char* outside : {"models\\..\\models\\a.img", "data\\..\\models\\a.img", "data\\model\\escape.img"}) {
    EXPECT_EQ(manager.getResource(outside, TestImage::DTI), nullptr) << outside;
    EXPECT_EQ(manager.lastFailure(), "leaves the data folder") << outside;
  }
  EXPECT_EQ(manager.getResources().size(), before);
  // The other reasons a request gives nothing.
  EXPECT_EQ(manager.getResource("data\\model\\none.img", TestImage::DTI), nullptr);
  EXPECT_EQ(manager.lastFailure(), "is not found");
  EXPECT_EQ(manager.getResource("data\\model\\wood.img", TestScript::DTI), nullptr);
  EXPECT_EQ(manager.lastFailure(), "is not a .fx or .cgfx file");
}

namespace {

u32 countAllPreloads() {
  u32 total = 0;
  for (const std::string& file : resourceManager::mpThis->getPreloadFiles()) {
    total += resQEL::getModelCount(file.c_str());
  }
  return total;
}

}  // namespace

TEST(LoadingProgress, FilesAreRegisteredOnceAndEachOfTheirModelsIsAStepTheListenerHears) {
  TempDir dir;
  resourceManager& manager = *resourceManager::mpThis;
  const std::size_t before = manager.getPreloadFiles().size();
  const std::string one = dir.write("one.qel", "MQO {\n0 \"a.mqo\"\n1 \"b.mqo\"\n}\nEof\n");
  manager.addPreload(one.c_str());
  manager.addPreload(one.c_str());
  manager.addPreload((dir.path() / "missing.qel").string().c_str());
  ASSERT_EQ(manager.getPreloadFiles().size(), before + 1);
  EXPECT_EQ(manager.getPreloadFiles().back(), one);
  manager.addPreload(dir.write("two.qel", "MQO {\n# a shared model\n0 \"a.mqo\"\n}\nEof\n").c_str());
  manager.addPreload(dir.write("none.qel", "Eof\n").c_str());
  const u32 total = countAllPreloads();
  ASSERT_GE(total, 3u);
  manager.preparePreload(resQEL::getModelCount);
  const f32 step = manager.getLoadingStep();
  EXPECT_FLOAT_EQ(step, 1.0f / static_cast<f32>(total));

  const f32 start = manager.getLoadingProgress();
  manager.stepLoading();  // no listener: only the progress moves
  EXPECT_FLOAT_EQ(manager.getLoadingProgress(), start + step);
  std::vector<f32> heard;
  manager.setLoadingListener([&heard](f32 progress) { heard.push_back(progress); });
  manager.stepLoading();
  manager.setLoadingListener(nullptr);
  manager.stepLoading();
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_FLOAT_EQ(heard[0], start + 2 * step);
  EXPECT_FLOAT_EQ(manager.getLoadingProgress(), start + 3 * step);
}

TEST(LoadingProgressDeath, NoModelsInAnyRegisteredFileIsFatalAndNamesTheFiles) {
  if (countAllPreloads() != 0) {
    GTEST_SKIP() << "files with models were registered earlier in this process";
  }
  TempDir dir;
  const std::string file = dir.write("empty.qel", "Scene \"s\" {\n}\nEof\n");
  resourceManager::mpThis->addPreload(file.c_str());
  EXPECT_EXIT(resourceManager::mpThis->preparePreload(resQEL::getModelCount),
              testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern(file + ") load no model") + ".*" +
                  literalPattern("Critical error:[mqoNum>0 + \"\"]"));
}

