// Fuzz target: the effect-file reader and the GLSL it builds for every pass's
// programs; no GL is involved.
#include <string_view>

#include "fuzz_harness.h"
#include "fx/effect_source.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(pData), size);
  fuzzing::runGuarded([&] {
    fx::EffectDescription effect;
    fx::SourceError error;
    if (fx::parseEffect(text, effect, error)) {
      for (const fx::TechniqueDecl& technique : effect.techniques) {
        for (const fx::PassDecl& pass : technique.passes) {
          if (pass.vertex) fx::buildProgramSource(effect, *pass.vertex);
          if (pass.fragment) fx::buildProgramSource(effect, *pass.fragment);
        }
      }
    } else {
      fuzzing::explainRefusal(std::to_string(error.line) + ": " + error.message);
      fx::listLines(text, error.line, 2);
    }
    fx::lineFromDriverLog(text);
  });
  return 0;
}
