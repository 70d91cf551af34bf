// Fuzz target: the DDS cube-map reader, and the promise the upload relies on:
// every level lies inside the file, level after level from the header on.
#include <cstdlib>

#include "fuzz_harness.h"
#include "resource/dds_reader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  fuzzing::runGuarded([&] {
    image::DdsCubeMap cubeMap;
    std::string error;
    if (!image::readDdsCubeMap(pData, size, cubeMap, error)) return;
    std::size_t offset = image::kDdsHeaderSize;
    for (const image::DdsLevel& level : cubeMap.levels) {
      if (level.offset != offset || level.face > 5 || level.size > size || level.offset > size - level.size) {
        std::abort();
      }
      offset += level.size;
    }
  });
  return 0;
}
