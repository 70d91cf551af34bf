// Fuzz target: the custom texture table, read line by line as the manager reads
// it. Textures come from a stand-in resource manager (nothing is decoded or
// uploaded); a name containing "missing" does not load, whose end is prescribed.
#include <cstdio>
#include <memory>

#include "fuzz_harness.h"
#include "resource/custom_texture_manager.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"

namespace {

class StandInResources : public resourceManager {
 public:
  resourceObject* getResource(const char* fileName, const VellDTI&) override {
    if (std::string(fileName ? fileName : "").find("missing") != std::string::npos) return nullptr;
    auto* pTexture = new resTexture;
    pTexture->mRefPtr = 1;
    return pTexture;
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({"Critical error:[pTexture + \"failed to load custom texture\"]"});
  // The engine's own manager is a static object; the stand-in takes its place
  // for the whole run and is never destroyed, as the static one unregisters at exit.
  resourceManager::mpThis = nullptr;
  static StandInResources* pStandIn = new StandInResources;
  (void)pStandIn;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::string path = fuzzing::writeInput(pData, size, "txt");
  customTextureManager& textures = *customTextureManager::mpThis;
  fuzzing::runGuarded([&] {
    // Closed however the reading ends: a prescribed fatal end unwinds through here.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "r"), std::fclose);
    if (!file) std::abort();
    textures.loadDefinitions(file.get());
  });
  textures.releaseTextures();
  return 0;
}
