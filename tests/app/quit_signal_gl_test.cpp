// SIGTERM while the show loads a model of a few million faces ends the program
// at once with status 128 + 15, instead of after the load.
#include "app/entry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/show_folder.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// A flat grid of side x side quads: side^2 * 2 triangles once split.
void writeBigModel(const fs::path& path, int side) {
  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  ASSERT_NE(pFile, nullptr);
  std::fputs("Metasequoia Document\nFormat Text Ver 1.0\n\nMaterial 1 {\n\t\"red\" col(1 0 0 1.000) bump(\"flat.fx\")\n}\n"
             "Object \"plate\" {\n\tdepth 0\n",
             pFile);
  const int points = side + 1;
  std::fprintf(pFile, "\tvertex %d {\n", points * points);
  for (int y = 0; y < points; ++y) {
    for (int x = 0; x < points; ++x) std::fprintf(pFile, "\t\t%d %d 0\n", x - side / 2, y - side / 2);
  }
  std::fprintf(pFile, "\t}\n\tface %d {\n", side * side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const int a = y * points + x;
      std::fprintf(pFile, "\t\t4 V(%d %d %d %d) M(0)\n", a, a + 1, a + points + 1, a + points);
    }
  }
  std::fputs("\t}\n}\nEof\n", pFile);
  std::fclose(pFile);
}

// Whether the process holds the file open: it is reading it.
bool holdsOpen(pid_t pid, const fs::path& file) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    std::error_code linkError;
    if (fs::read_symlink(entry.path(), linkError) == file) return true;
  }
  return false;
}

// Waits for the child without hanging the suite: false when it is still running
// after the bound (it is then killed).
bool waitBounded(pid_t pid, int& status, int milliseconds) {
  for (int step = 0; step < milliseconds; ++step, usleep(1000)) {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return false;
}

}  // namespace

TEST(QuitSignal, SigtermWhileABigModelLoadsEndsTheProgramAtOnce) {
  TempDir dir;
  const fs::path root = dir.path();
  writeTestShow(root);
  const fs::path data = root / "data";
  const fs::path model = fs::canonical(data / "qel") / "red.mqo";
  writeBigModel(model, 1200);  // 1.44 million quads, 2.88 million triangles

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(root.c_str()) != 0) _exit(100);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::vector<std::string> arguments = {"orvane", "--no-dialog", "--windowed", "160x90"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    _exit(orvaneMain(static_cast<int>(arguments.size()), argv.data()));
  }
  int status = 0;
  bool loading = false;
  for (int step = 0; step < 60 * 1000 && !(loading = holdsOpen(child, model)); ++step, usleep(1000)) {
    if (waitpid(child, &status, WNOHANG) == child) FAIL() << "the program ended before loading the model";
  }
  ASSERT_TRUE(loading) << "the program never opened the big model";
  ASSERT_EQ(kill(child, SIGTERM), 0);
  ASSERT_TRUE(waitBounded(child, status, 60 * 1000)) << "SIGTERM did not end the program";
  ASSERT_TRUE(WIFEXITED(status)) << "it ended by itself, not killed";
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM) << "ended during the load, not after it";
}
