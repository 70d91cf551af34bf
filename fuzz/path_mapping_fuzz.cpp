// Fuzz target: the data-path helpers a name from a data file goes through — the
// host path mapping (separators, case-insensitive lookup, inside a scratch tree
// holding a few folders and files) and the path-text helpers.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_harness.h"
#include "framework/shell_path.h"

namespace {

std::string gRoot;  // the scratch tree, with a trailing separator

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({});
  // A small data tree to map names against, so relative names are looked up
  // there rather than on the real disk (the current directory stays, so the
  // corpus paths given on the command line still work).
  const std::filesystem::path root = std::filesystem::path(fuzzing::writeInput(nullptr, 0, "txt")).parent_path() / "tree";
  std::filesystem::create_directories(root / "data" / "Shader");
  std::filesystem::create_directories(root / "data" / "texture" / "Sub");
  for (const char* file : {"data/Shader/X.fx", "data/texture/a.BMP", "data/texture/Sub/b.dds"}) {
    std::ofstream(root / file) << "x";
  }
  gRoot = root.string() + "\\";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  if (size > 4096) return 0;  // longer than any name a table or model holds
  const std::string path(reinterpret_cast<const char*>(pData), size);
  if (path.find('\0') != std::string::npos) return 0;  // names are C strings
  fuzzing::runGuarded([&] {
    const std::string host = paths::hostPath(gRoot + path);
    if (host.find('\\') != std::string::npos) std::abort();
    if (host.find("//") != std::string::npos) std::abort();
    paths::pathFileExists(gRoot + path);
    const std::string spec = paths::removeFileSpec(path);
    if (spec.size() > path.size()) std::abort();
    paths::isRelativePath(path);
    paths::stripPath(path);
    paths::removeExtension(path);
    paths::pathExtension(path);
  });
  return 0;
}
