// Fuzz target: Ogg Vorbis through our decoder from memory (the data source
// callbacks, format, blocks, looping). A seek the stream refuses is a prescribed
// fatal end.
#include "fuzz_harness.h"
#include "sound/ogg_vorbis_loader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({"Critical error:[0 + \"\"]"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  fuzzing::runGuarded([&] {
    OggVorbisLoader loader;
    if (loader.open(CSoundLoader::MEMORY_FILE_NAME, pData, size) != CSoundLoader::RESULT_OK) return;
    loader.getLengthMs();
    CSoundLoader::Block block;
    loader.read(&block, 0, 8192, false);
    loader.read(&block, -1, 8192, true);
    loader.seekMs(0, 0);
    loader.read(&block, -1, 1024, false);
  });
  return 0;
}
