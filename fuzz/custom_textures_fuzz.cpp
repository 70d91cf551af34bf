// Fuzz target: the custom texture table, read line by line as the manager reads
// it. Textures come from a stand-in resource manager (nothing is decoded or
// uploaded); a name containing "missing" does not load, whose end is prescribed.
#include <cstdio>

#include "fuzz_harness.h"
#include "render/custom_texture_manager.h"
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
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::string path = fuzzing::writeInput(pData, size, "txt");
  StandInResources resources;
  customTextureManager textures;
  fuzzing::runGuarded([&] {
    std::FILE* pFile = std::fopen(path.c_str(), "r");
    if (!pFile) std::abort();
    textures.loadDefinitions(pFile);
    std::fclose(pFile);
  });
  textures.releaseTextures();
  return 0;
}
