// Fuzz target: the post-effect table's definition file and its sort.
#include <cstdio>

#include "fuzz_harness.h"
#include "screen/post_effect_definitions.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::string path = fuzzing::writeInput(pData, size, "txt");
  fuzzing::runGuarded([&] {
    std::FILE* pFile = std::fopen(path.c_str(), "r");
    if (!pFile) std::abort();
    std::vector<PostEffectEntry> entries = readPostEffectDefinitions(pFile);
    std::fclose(pFile);
    sortPostEffectEntries(entries);
  });
  return 0;
}
