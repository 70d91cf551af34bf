// Fuzz target: a model through the resource manager on a real GL context (run
// it under Xvfb): reading, its materials' textures and effects, and the build
// step that compiles the display lists. The default texture and effect stay
// loaded for the whole run, so each input builds only its own model.
#include <cstdio>
#include <cstdlib>

#include "fuzz_harness.h"
#include "resource/shader_manager.h"
#include "resource/res_mqo.h"
#include "resource/res_shader.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "support/gl_test_context.h"

namespace {

// Held for the whole run (and reachable at exit, where the process simply ends).
GlTestContext* gpGl = nullptr;
resourceObject* gpDefaultTexture = nullptr;
resourceObject* gpDefaultShader = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The texts the model and texture formats make fatal; anything else is a finding.
  fuzzing::acceptFatalTexts({
      "Critical error:[face[faceIndex].num_v!=2 + \"unsupported vertex count.\"]",
      "Critical error:[tmpWidth==mWidth && tmpHeight==mHeight + \"not 2^n texture is not unsupported\"]",
      "Critical error:[currentpixel<=pixelcount + \"\"]",
      "Critical error:[0 + \"shader compilation error!\"]",
      "Critical error:[0 + \"No valid technique found.\\n\"]",
  });
  gpGl = new GlTestContext(64, 64);
  if (!gpGl->ok()) {
    std::fprintf(stderr, "mqo_build_fuzz needs a display (run under xvfb-run): %s\n", gpGl->error());
    std::exit(1);
  }
  shaderManager::mpThis->initialize();
  resourceManager& manager = *resourceManager::mpThis;
  gpDefaultTexture = manager.getResource(resMQO::DEFAULT_TEXTURE, resTexture::DTI);
  gpDefaultShader = manager.getResource(resMQO::DEFAULT_SHADER, resShader::DTI);
  if (!gpDefaultTexture || !gpDefaultShader) {
    std::fprintf(stderr, "mqo_build_fuzz runs from the checkout's root (the default texture and effect)\n");
    std::exit(1);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::string path = fuzzing::writeInput(pData, size, "mqo");
  fuzzing::runGuarded([&] {
    resMQO* pModel = static_cast<resMQO*>(resourceManager::mpThis->getResource(path.c_str(), resMQO::DTI));
    if (!pModel) return;
    if (pModel->getModel() == nullptr) std::abort();
    releaseResource(pModel);
  });
  return 0;
}
