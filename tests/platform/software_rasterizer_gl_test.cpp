// Author mode's guard against the threaded software rasterizer's fence race:
// once asked, Mesa's llvmpipe starts no rasterizer threads (each is a task named
// "llvmpipe-N"), and a choice the user made is left alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/gl.h"
#include "platform/software_rasterizer.h"
#include "support/gl_test_context.h"

namespace {

int rasterizerThreads() {
  int count = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    std::getline(comm, name);
    if (name.rfind("llvmpipe-", 0) == 0) ++count;
  }
  return count;
}

// Draws once in a fresh context and exits with the number of rasterizer threads;
// another driver than llvmpipe has none to count, and exits with `otherDriver`.
[[noreturn]] void drawAndExitWithThreadCount(int otherDriver) {
  GlTestContext context;
  if (!context.ok()) std::_Exit(100);
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  if (!renderer || std::string(renderer).find("llvmpipe") == std::string::npos) std::_Exit(otherDriver);
  glClear(GL_COLOR_BUFFER_BIT);
  glFinish();
  std::_Exit(rasterizerThreads());
}

}  // namespace

TEST(SoftwareRasterizer, AskedFirstItDrawsWithoutRasterizerThreads) {
  // Fresh processes that make no context before the statement: Mesa reads the
  // setting once, at its first screen.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  unsetenv("LP_NUM_THREADS");
  EXPECT_EXIT(
      {
        platform::keepSoftwareRasterizerOnDrawingThread();
        drawAndExitWithThreadCount(0);
      },
      testing::ExitedWithCode(0), "");
  // The control: the same draw with the user's own choice of two threads.
  setenv("LP_NUM_THREADS", "2", 1);
  EXPECT_EXIT(
      {
        platform::keepSoftwareRasterizerOnDrawingThread();  // the user's 2 stays
        drawAndExitWithThreadCount(2);
      },
      testing::ExitedWithCode(2), "");
  unsetenv("LP_NUM_THREADS");
}
