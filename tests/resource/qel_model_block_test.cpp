// Comments in a Qel file's model block: a comment token that begins with a digit
// runs to the next token that does, and a damaged block ends in an error, never
// in an endless read. No model is loaded, so no GL is needed.
#include <gtest/gtest.h>

#include "resource/qel_animation.h"
#include "support/temp_dir.h"

namespace {

bool readAnimation(QelAnimation& animation, const TempDir& dir, const std::string& text) {
  return animation.read(dir.write("scene.qel", text));
}

}  // namespace

TEST(QelModelBlockComments, CommentTokenBeginningWithADigitRunsToTheNextDigitToken) {
  TempDir dir;
  QelAnimation animation;
  ASSERT_TRUE(readAnimation(animation, dir, "MQO {\n\t1#old \"gone.mqo\"\n}\nEof\n")) << animation.error();
  for (resMQO* pModel : animation.obj) EXPECT_EQ(pModel, nullptr);
  EXPECT_TRUE(animation.scenes.empty());
}

TEST(QelModelBlockComments, SeveralDigitCommentsInARowEachMoveOn) {
  TempDir dir;
  QelAnimation animation;
  ASSERT_TRUE(readAnimation(animation, dir, "MQO {\n\t1#a 2#b 3#c words\n}\nEof\n")) << animation.error();
  EXPECT_TRUE(animation.scenes.empty());
}

TEST(QelModelBlockComments, DigitCommentAtTheEndIsAnUnclosedBlock) {
  TempDir dir;
  QelAnimation animation;
  EXPECT_FALSE(readAnimation(animation, dir, "MQO {\n\t7#"));
  EXPECT_NE(animation.error().find("the MQO block is not closed"), std::string::npos) << animation.error();
}
