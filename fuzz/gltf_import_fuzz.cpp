// Fuzz target: the glTF importer, from the bytes (as .glb or .gltf text) through
// every check to the converted model, Qel keys and effects; outside files are
// refused, so the input is all there is. A refusal is an ordinary answer.
#include <vector>

#include "fuzz_harness.h"
#include "import/gltf_source.h"
#include "import/scene_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::vector<unsigned char> bytes(pData, pData + size);
  try {
    const orvane::import::GltfSource source = orvane::import::loadGltfFromMemory(bytes, "input", "");
    orvane::import::ImportOptions options;
    options.name = "fuzz";
    const orvane::import::ConvertedScene scene = orvane::import::convertScene(source, options);
    (void)orvane::import::modelText(scene);
  } catch (const orvane::import::ImportError& e) {
    fuzzing::explainRefusal(e.message);
  }
  return 0;
}
