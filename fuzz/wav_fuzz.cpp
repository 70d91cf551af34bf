// Fuzz target: the WAVE loader and our RIFF reader, from memory and from a file,
// opened, read in blocks (looping too) and sought.
#include "fuzz_harness.h"
#include "sound/wave_loader.h"

namespace {

void exercise(CSoundLoader& loader) {
  loader.getLengthMs();
  loader.getDataSize();
  CSoundLoader::Block block;
  loader.read(&block, 0, 4096, false);
  loader.read(&block, -1, 3000, true);
  loader.seekMs(1, 0);
  loader.read(&block, -1, 64, false);
  loader.seekBytes(-7, 2);
  loader.read(&block, -1, 512, true);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  fuzzing::runGuarded([&] {
    WaveLoader fromMemory;
    if (fromMemory.open(CSoundLoader::MEMORY_FILE_NAME, pData, size) == CSoundLoader::RESULT_OK) exercise(fromMemory);
  });
  const std::string path = fuzzing::writeInput(pData, size, "wav");
  fuzzing::runGuarded([&] {
    WaveLoader fromFile;
    if (fromFile.open(path.c_str(), nullptr, 0) == CSoundLoader::RESULT_OK) exercise(fromFile);
  });
  return 0;
}
