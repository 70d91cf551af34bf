// The fatal check's text is made at build time from the source of both arguments,
// the expression runs once, and a failure ends the process with status 3.
#include "framework/critical_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/fatal_text.h"

TEST(CriticalCheckText, QuotesExpressionAndMessageAsWritten) {
  EXPECT_STREQ(VELL_CRITICAL_TEXT(pName, "name can't be null"), "Critical error:[pName + \"name can't be null\"]");
  EXPECT_STREQ(VELL_CRITICAL_TEXT(dwWriteSize==alloc_size[0], ""), "Critical error:[dwWriteSize==alloc_size[0] + \"\"]");
  EXPECT_STREQ(VELL_CRITICAL_TEXT(mShaderMap.find(pShader->getName())==mShaderMap.end(), "shader conflict!"),
               "Critical error:[mShaderMap.find(pShader->getName())==mShaderMap.end() + \"shader conflict!\"]");
}

TEST(CriticalCheckText, EmptyMessageShowsTwoQuotes) {
  const std::string text = VELL_CRITICAL_TEXT(mpThis, "");
  EXPECT_EQ(text, "Critical error:[mpThis + \"\"]");
  EXPECT_EQ(text.substr(text.size() - 6), " + \"\"]");
}

TEST(CriticalCheckText, NewlineEscapeStaysBackslashAndN) {
  const std::string text = VELL_CRITICAL_TEXT(0, "No valid technique found.\n");
  EXPECT_EQ(text, "Critical error:[0 + \"No valid technique found.\\n\"]");
  EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(CriticalCheck, TrueExpressionRunsOnceAndHasNoEffect) {
  int evaluations = 0;
  auto countedTrue = [&] {
    ++evaluations;
    return true;
  };
  CRITICAL_CHECK(countedTrue(), "never shown");
  EXPECT_EQ(evaluations, 1);
  int* pointer = &evaluations;
  CRITICAL_CHECK(pointer, "pointer");
  CRITICAL_CHECK(7, "integer");
}

TEST(CriticalCheckDeath, FailedCheckShowsTextAndEndsWithStatusThree) {
  const char* pName = nullptr;
  EXPECT_EXIT(CRITICAL_CHECK(pName, "name can't be null"), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[pName + \"name can't be null\"]"));
}

TEST(CriticalCheckDeath, FailureSkipsCleanUp) {
  // A destructor that would print if clean-up ran.
  struct Loud {
    ~Loud() { std::fputs("cleaned up", stderr); }
  };
  EXPECT_EXIT(
      {
        Loud loud;
        CRITICAL_CHECK(0, "default assert.");
      },
      testing::ExitedWithCode(vell::kFatalExitStatus), "^Critical error:\\[0 \\+ \"default assert\\.\"\\]\n$");
}

namespace {
// Writes what it saw, so the parent of a death test can tell that it ran.
void echoingHook(const char* text) { std::fprintf(stderr, "hook saw <%s>\n", text); }
struct Abandoned {
  std::string text;
};
void throwingHook(const char* text) { throw Abandoned{text}; }
}  // namespace

TEST(CriticalCheckDeath, ReturningHookRunsAfterTheTextAndStatusStaysThree) {
  EXPECT_EXIT(
      {
        vell::setFatalExitHook(echoingHook);
        CRITICAL_CHECK(1 == 2, "hooked");
      },
      testing::ExitedWithCode(vell::kFatalExitStatus),
      literalPattern("Critical error:[1 == 2 + \"hooked\"]\nhook saw <Critical error:[1 == 2 + \"hooked\"]>"));
}

TEST(CriticalCheckHook, SeesTheExactTextAndMayAbandonTheOperation) {
  vell::setFatalExitHook(throwingHook);
  std::string seen;
  bool continued = false;
  try {
    CRITICAL_CHECK(false, "abandon me");
    continued = true;
  } catch (const Abandoned& abandoned) {
    seen = abandoned.text;
  }
  vell::setFatalExitHook(nullptr);
  EXPECT_FALSE(continued);
  EXPECT_EQ(seen, "Critical error:[false + \"abandon me\"]");
}

TEST(CriticalCheckDeath, ResetHookNoLongerRuns) {
  EXPECT_EXIT(
      {
        vell::setFatalExitHook(echoingHook);
        vell::setFatalExitHook(nullptr);
        CRITICAL_CHECK(0, "plain");
      },
      testing::ExitedWithCode(vell::kFatalExitStatus), "^Critical error:\\[0 \\+ \"plain\"\\]\n$");
}

namespace {
void restoringCleanup() { std::fputs("display restored\n", stderr); }
void presenterAfterCleanup(const char* text) { std::fprintf(stderr, "box <%s>\n", text); }
}  // namespace

TEST(CriticalCheckDeath, PutsTheDisplayBackBeforeTheBoxAndStillEndsWithThree) {
  EXPECT_EXIT(
      {
        vell::setFatalCleanup(restoringCleanup);
        vell::setFatalPresenter(presenterAfterCleanup);
        CRITICAL_CHECK(false, "full screen");
      },
      testing::ExitedWithCode(vell::kFatalExitStatus),
      literalPattern("Critical error:[false + \"full screen\"]\ndisplay restored\nbox <Critical error:[false + \"full "
                     "screen\"]>\n"));
}
