// An exit decided on another thread (a quit signal's watcher, a fatal stop on the
// sound worker) is carried out by the main thread, which alone may call SDL; a
// main thread that does not answer does not keep the process alive.
#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "platform/quit_signals.h"

namespace {


void presentOnWhicheverThread(const char* text) {
  std::fprintf(stderr, "%s shown on the %s thread\n", text, platform::isMainThread() ? "main" : "other");
}

}  // namespace

TEST(ExitHandOver, AnotherThreadsExitIsCarriedOutByTheMainThreadWithItsText) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform::installQuitSignals();  // this thread becomes the main one
        std::thread([] { platform::endProcess(7, presentOnWhicheverThread, "the fatal text"); }).detach();
        for (;;) {
          platform::serviceExitRequest();  // as the main loop's event polling does
          usleep(1000);
        }
      },
      testing::ExitedWithCode(7), "the fatal text shown on the main thread\n");
}

TEST(ExitHandOver, AMainThreadThatDoesNotAnswerDoesNotHoldTheExitUp) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform::installQuitSignals();
        std::thread([] { platform::endProcess(9, presentOnWhicheverThread, "never shown"); }).detach();
        for (;;) pause();  // stuck: never looks at requests
      },
      testing::ExitedWithCode(9), "^$");
}

TEST(ExitHandOver, OnTheMainThreadTheExitHappensAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform::installQuitSignals();
        platform::endProcess(5, presentOnWhicheverThread, "the text");
      },
      testing::ExitedWithCode(5), "the text shown on the main thread\n");
}
