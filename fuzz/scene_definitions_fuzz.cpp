// Fuzz target: the running order's definition file, rows and numbers included.
#include <cstdio>

#include "demo/scene_definitions.h"
#include "fuzz_harness.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::string path = fuzzing::writeInput(pData, size, "txt");
  fuzzing::runGuarded([&] {
    std::FILE* pFile = std::fopen(path.c_str(), "r");
    if (!pFile) std::abort();
    readSceneDefinitions(pFile, "sceneLineDefine.txt");
    std::fclose(pFile);
  });
  return 0;
}
