// Fuzz target: effect construction and parameter setting by name, no GL. The
// effect is built by the runtime (its parameter table included); what the load
// check lets through then takes every value the engine sets, each from a buffer
// exactly as large as the engine's variable, so reading past one is caught, and
// every leaf takes a value by name.
#include <memory>
#include <string_view>
#include <vector>

#include "fuzz_harness.h"
#include "fx/effect.h"
#include "resource/engine_parameters.h"
#include "resource/res_shader.h"

namespace {

void collect(fx::Parameter* pFirst, std::vector<resShader::ShaderParam>& parameters) {
  for (fx::Parameter* pParameter = pFirst; pParameter; pParameter = pParameter->getNext()) {
    if (pParameter->getType() == fx::TYPE_STRUCT) {
      collect(pParameter->getFirstStructParameter(), parameters);
    } else if (pParameter->getType() == fx::TYPE_ARRAY) {
      for (int index = 0; index < pParameter->getArraySize(); ++index) collect(pParameter->getArrayParameter(index), parameters);
    } else {
      parameters.push_back({pParameter->getName(), pParameter->getSemantic(), pParameter, pParameter->getType()});
    }
  }
}

// An effect the runtime built, with its parameter table, outside the shader
// manager; the context keeps the effect.
class FuzzedShader : public resShader {
 public:
  explicit FuzzedShader(fx::Effect* pEffect) {
    mEffect = pEffect;
    collect(pEffect->getFirstParameter(), mVecParam);
  }
  ~FuzzedShader() override { mEffect = nullptr; }
};

const char* const kEngineNames[] = {
    "TIME_RATE", "TIME_RATE_0", "TIME_RATE_1", "TIME_RATE_EFFECT", "div", "shShininess", "ViewportSize",
    "shEyePos", "shLightPos", "shMqoColor", "shAmbient", "shLightColor", "shKe", "shKa", "shKd", "shKs",
    "shBaseTexture", "shOverlapTexture", "shTexture0", "srcColBuf0", "srcColBuf1", "srcCBuf0", "srcCBuf1",
    "srcZBuf0", "srcZBuf1", "workBuf0", "workBuf1", "workBuf2", "workBuf3"};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Integer, rectangle-sampler and odd matrix parameters stop the show when set.
  fuzzing::acceptFatalTexts({"Critical error:[0 + \"specified type is not supported yet.\"]"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(pData), size);
  fx::Context context;
  fx::Effect* pEffect = context.createEffect(text, "input.fx");
  if (!pEffect) return 0;
  FuzzedShader shader(pEffect);
  for (const resShader::ShaderParam& param : shader.getParameters()) {
    for (const std::string* name : {&param.name, &param.semantic}) {
      if (!name->empty() && !engine_parameters::checkDeclaredType(param.name, *name, param.parameter->getTypeInfo()).empty()) {
        fuzzing::explainRefusal("engine parameter " + *name);
        return 0;  // the load refuses this effect
      }
    }
  }
  fuzzing::runGuarded([&] {
    for (const char* name : kEngineNames) {
      const engine_parameters::EngineValue* value = engine_parameters::find(name);
      if (!value) std::abort();
      if (value->kind == engine_parameters::EngineValue::Kind::Texture) {
        auto texture = std::make_unique<u32>(7);
        shader.setParameter(name, texture.get());
      } else {
        auto floats = std::make_unique<f32[]>(static_cast<std::size_t>(value->floats));
        for (int i = 0; i < value->floats; ++i) floats[static_cast<std::size_t>(i)] = 0.5f * static_cast<f32>(i);
        shader.setParameter(name, floats.get());
      }
    }
    // By a leaf's own name: another leaf may carry that name as its semantic,
    // so the value is as large as any type takes.
    f32 floats[16] = {};
    for (const resShader::ShaderParam& param : shader.getParameters()) {
      const fx::TypeInfo* pInfo = param.parameter->getTypeInfo();
      if (!pInfo || pInfo->kind == fx::TypeKind::Sampler) continue;
      shader.setParameter(param.name.c_str(), floats);
    }
  });
  return 0;
}
