// Temporary directories for file tests.
#include "support/temp_dir.h"

#include <fstream>
#include <random>

TempDir::TempDir() {
  std::random_device random;
  mPath = std::filesystem::temp_directory_path() / ("orvane-test-" + std::to_string(random()));
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
