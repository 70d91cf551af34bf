// The shared harness: scratch input files and the fatal-exit hook of the fuzz targets.
#include "fuzz_harness.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "framework/critical_check.h"

namespace fuzzing {
namespace {

std::vector<std::string>& acceptedTexts() {
  static std::vector<std::string> texts;
  return texts;
}

void onFatalExit(const char* text) {
  for (const std::string& accepted : acceptedTexts()) {
    if (accepted == text) throw PrescribedFatal{text};
  }
  std::fprintf(stderr, "fuzz: fatal text not prescribed for this reader: %s\n", text);
  std::abort();
}

std::filesystem::path scratchDirectory() {
  static const std::filesystem::path directory = [] {
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    std::filesystem::path path = base / ("orvane-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    // The scratch file goes with the process, however it ends.
    std::atexit([] { std::filesystem::remove_all(scratchDirectory()); });
    return path;
  }();
  return directory;
}

}  // namespace

std::string writeInput(const u8* pData, std::size_t size, const char* extension) {
  const std::string path = (scratchDirectory() / (std::string("input.") + extension)).string();
  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  if (!pFile) {
    std::perror(path.c_str());
    std::abort();
  }
  if (size && std::fwrite(pData, 1, size, pFile) != size) std::abort();
  std::fclose(pFile);
  return path;
}

void acceptFatalTexts(std::initializer_list<const char*> texts) {
  acceptedTexts().assign(texts.begin(), texts.end());
  vell::setFatalExitHook(onFatalExit);
}

}  // namespace fuzzing
