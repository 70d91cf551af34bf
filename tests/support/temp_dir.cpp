// Temporary directories for file tests. A death test's child re-runs the test
// up to the statement that ends it and never reaches a destructor, so its
// folders carry the parent's process id and the parent sweeps them at the end.
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <random>

namespace {

bool inDeathTestChild() { return !GTEST_FLAG_GET(internal_run_death_test).empty(); }

std::string prefixOf(pid_t process) { return "orvane-test-" + std::to_string(process) + "-"; }

class ChildFolderSweep : public ::testing::Environment {
 public:
  void TearDown() override {
    const std::string prefix = prefixOf(getpid());
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path(), error)) {
      if (entry.path().filename().string().rfind(prefix, 0) == 0) {
        std::error_code ignored;
        std::filesystem::remove_all(entry.path(), ignored);
      }
    }
  }
};

[[maybe_unused]] ::testing::Environment* const gSweep = ::testing::AddGlobalTestEnvironment(new ChildFolderSweep);

}  // namespace

TempDir::TempDir() {
  std::random_device random;
  const pid_t owner = inDeathTestChild() ? getppid() : getpid();
  mPath = std::filesystem::temp_directory_path() / (prefixOf(owner) + std::to_string(random()));
  std::filesystem::create_directories(mPath);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(mPath, ignored);
}

std::string TempDir::write(const std::string& relative, const std::string& bytes) const {
  const std::filesystem::path file = mPath / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file.string();
}
