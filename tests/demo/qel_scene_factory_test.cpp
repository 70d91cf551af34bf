// The running order as the factory reads it: the line count, no scene without
// rows, and the "invalid format." stop (the rows themselves: scene_definitions_test).
#include "demo/qel_scene_factory.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "framework/critical_check.h"
#include "support/fatal_text.h"

namespace {

// Reads the text as the entry would hand the open file over.
void readInto(CQelSceneFactory& factory, const std::string& text) {
  std::FILE* file = std::tmpfile();
  std::fputs(text.c_str(), file);
  std::rewind(file);
  EXPECT_TRUE(factory.read(file));
  std::fclose(file);
}

}  // namespace

TEST(SceneFactory, OneRowPerLineGivesTwoLinesAndNoRowsNoScene) {
  CQelSceneFactory factory;
  readInto(factory, "data\\qel\\a.qel 0 0 0 0 0 default\ndata\\qel\\b.qel 1 0 0 0 0 glow\n");
  EXPECT_EQ(factory.getMaxLine(), 2);
  ASSERT_EQ(factory.getDefinitionCount(), 2u);
  EXPECT_EQ(factory.getDefinition(1).shader, "glow");
  CQelSceneFactory empty;
  readInto(empty, "# only a comment\n\n");
  EXPECT_EQ(empty.getDefinitionCount(), 0u);
  EXPECT_EQ(empty.getMaxLine(), 0);
  EXPECT_EQ(empty.createScene(0), nullptr);
}

TEST(SceneFactoryDeath, OnlyRowOnLineOneIsAnInvalidFormat) {
  EXPECT_EXIT(
      {
        CQelSceneFactory factory;
        readInto(factory, "data\\qel\\b.qel 1 0 0 0 0 default\n");
      },
      testing::ExitedWithCode(vell::kFatalExitStatus),
      literalPattern("data\\definition\\sceneLineDefine.txt: line 1: the row is on line 1, but 1 row(s) can fill "
                     "only lines 0 to 0\nCritical error:[mMaxLine-1<static_cast<s32>(mVecSceneDefInfos.size()) + \"invalid format.\"]"));
}
