// The fatal check's text is made at build time from the source of both arguments,
// the expression runs once, and a failure ends the process with status 3 after
// the clean-up and the presenter, or abandons the operation through the hook.
#include "framework/critical_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/fatal_text.h"

TEST(CriticalCheck, QuotesExpressionAndMessageAsWrittenAndRunsATrueExpressionOnce) {
  EXPECT_STREQ(VELL_CRITICAL_TEXT(dwWriteSize==alloc_size[0], ""), "Critical error:[dwWriteSize==alloc_size[0] + \"\"]");
  EXPECT_STREQ(VELL_CRITICAL_TEXT(mShaderMap.find(pShader->getName())==mShaderMap.end(), "shader conflict!"),
               "Critical error:[mShaderMap.find(pShader->getName())==mShaderMap.end() + \"shader conflict!\"]");
  // The escape stays a backslash and an n.
  EXPECT_STREQ(VELL_CRITICAL_TEXT(0, "No valid technique found.\n"), "Critical error:[0 + \"No valid technique found.\\n\"]");
  // A true expression runs once and has no effect.
  int evaluations = 0;
  CRITICAL_CHECK(++evaluations, "never shown");
  EXPECT_EQ(evaluations, 1);
}

namespace {
void echoingHook(const char* text) { std::fprintf(stderr, "hook saw <%s>\n", text); }
void restoringCleanup(const char*) { std::fputs("display restored\n", stderr); }
void presenter(const char* text) { std::fprintf(stderr, "box <%s>\n", text); }
struct Abandoned {
  std::string text;
};
void throwingHook(const char* text) { throw Abandoned{text}; }
}  // namespace

TEST(CriticalCheckDeath, FailureShowsTheTextAndEndsWithThreeSkippingCleanUp) {
  struct Loud {
    ~Loud() { std::fputs("cleaned up", stderr); }  // would print if clean-up ran
  };
  EXPECT_EXIT(
      {
        Loud loud;
        CRITICAL_CHECK(0, "default assert.");
      },
      testing::ExitedWithCode(vell::kFatalExitStatus), "^Critical error:\\[0 \\+ \"default assert\\.\"\\]\n$");
  // A hook that returns runs after the text.
  EXPECT_EXIT(
      {
        vell::setFatalExitHook(echoingHook);
        CRITICAL_CHECK(1 == 2, "hooked");
      },
      testing::ExitedWithCode(vell::kFatalExitStatus),
      literalPattern("Critical error:[1 == 2 + \"hooked\"]\nhook saw <Critical error:[1 == 2 + \"hooked\"]>"));
}

TEST(CriticalCheckDeath, PutsTheDisplayBackBeforeTheBoxAndStillEndsWithThree) {
  EXPECT_EXIT(
      {
        vell::setFatalCleanup(restoringCleanup);
        vell::setFatalPresenter(presenter);
        CRITICAL_CHECK(false, "full screen");
      },
      testing::ExitedWithCode(vell::kFatalExitStatus),
      literalPattern("Critical error:[false + \"full screen\"]\ndisplay restored\nbox <Critical error:[false + \"full "
                     "screen\"]>\n"));
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
