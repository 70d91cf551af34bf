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

// Draws once in a fresh context and exits with the number of rasterizer threads.
[[noreturn]] void drawAndExitWithThreadCount() {
  GlTestContext context;
  if (!context.ok()) std::_Exit(100);
  glClear(GL_COLOR_BUFFER_BIT);
  glFinish();
  std::_Exit(rasterizerThreads());
}

bool isSoftwareRasterizer() {
  GlTestContext context;
  const char* renderer = context.ok() ? reinterpret_cast<const char*>(glGetString(GL_RENDERER)) : nullptr;
  return renderer && std::string(renderer).find("llvmpipe") != std::string::npos;
}

}  // namespace

TEST(SoftwareRasterizer, AskedFirstItDrawsWithoutRasterizerThreads) {
  if (!isSoftwareRasterizer()) GTEST_SKIP() << "not Mesa's llvmpipe";
  // Fresh processes: Mesa reads the setting once, at its first screen.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  unsetenv("LP_NUM_THREADS");
  EXPECT_EXIT(
      {
        platform::keepSoftwareRasterizerOnDrawingThread();
        drawAndExitWithThreadCount();
      },
      testing::ExitedWithCode(0), "");
  // The control: the same draw, not asked, has threads (two, on any machine).
  setenv("LP_NUM_THREADS", "2", 1);
  EXPECT_EXIT(
      {
        platform::keepSoftwareRasterizerOnDrawingThread();  // the user's 2 stays
        drawAndExitWithThreadCount();
      },
      testing::ExitedWithCode(2), "");
  unsetenv("LP_NUM_THREADS");
}
