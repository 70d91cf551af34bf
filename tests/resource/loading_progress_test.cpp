// The loading progress of the resource manager: registering animation files once,
// counting their models, and advancing (and telling the listener) per loaded model.
#include <gtest/gtest.h>

#include <vector>

#include "framework/critical_check.h"
#include "resource/qel_animation.h"
#include "resource/resource_manager.h"
#include "support/fatal_text.h"
#include "support/temp_dir.h"

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

TEST(LoadingProgressDeath, NoModelsInAnyRegisteredFileIsFatal) {
  if (countAllPreloads() != 0) {
    GTEST_SKIP() << "files with models were registered earlier in this process";
  }
  TempDir dir;
  resourceManager::mpThis->addPreload(dir.write("empty.qel", "Scene \"s\" {\n}\nEof\n").c_str());
  EXPECT_EXIT(resourceManager::mpThis->preparePreload(resQEL::getModelCount),
              testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[mqoNum>0 + \"\"]"));
}

