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

// Kept as plain characters: the clean-up at exit runs after static strings are gone.
char gScratch[256];

void removeScratch() { std::filesystem::remove_all(gScratch); }

const char* scratchDirectory() {
  if (!gScratch[0]) {
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    const std::string path = (base / ("orvane-fuzz-" + std::to_string(::getpid()))).string();
    std::snprintf(gScratch, sizeof gScratch, "%s", path.c_str());
    std::filesystem::create_directories(gScratch);
    // The scratch file goes with the process when it ends normally.
    std::atexit(removeScratch);
  }
  return gScratch;
}

}  // namespace

std::string writeInput(const u8* pData, std::size_t size, const char* extension) {
  const std::string path = std::string(scratchDirectory()) + "/input." + extension;
  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  if (!pFile) {
    std::perror(path.c_str());
    std::abort();
  }
  if (size && std::fwrite(pData, 1, size, pFile) != size) std::abort();
  std::fclose(pFile);
  return path;
}

void explainRefusal(const std::string& why) {
  static const bool verbose = std::getenv("ORVANE_FUZZ_VERBOSE") != nullptr;
  if (verbose) std::fprintf(stderr, "fuzz: refused: %s\n", why.c_str());
}

void acceptFatalTexts(std::initializer_list<const char*> texts) {
  acceptedTexts().assign(texts.begin(), texts.end());
  vell::setFatalExitHook(onFatalExit);
}

}  // namespace fuzzing
