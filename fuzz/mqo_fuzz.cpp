// Fuzz target: the Metasequoia model reader and its mesh building, from a file.
#include "fuzz_harness.h"
#include "resource/mqo_model.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::string path = fuzzing::writeInput(pData, size, "mqo");
  fuzzing::runGuarded([&] {
    MqoModel model;
    if (!model.read(path)) fuzzing::explainRefusal(model.error());
  });
  return 0;
}
