// Loading an effect file into the effect runtime, and setting its parameters by name.
#include "resource/res_shader.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "framework/critical_check.h"
#include "framework/vell_file.h"
#include "resource/custom_texture_manager.h"
#include "resource/engine_parameters.h"
#include "resource/shader_manager.h"

bool resShader::sBrokenFirstLoadIsFatal = true;

resShader::~resShader() {
  if (shaderManager::mpThis) {
    shaderManager::mpThis->unregisterShader(this);
  }
  if (fx::Context::isEffect(mEffect)) {
    mEffect->getContext().destroyEffect(mEffect);
  }
}

bool resShader::load(VellFileStream& stream) {
  resourceObject::load(stream);

  const u64 size = stream.getSize();
  std::unique_ptr<char[]> sourceBuffer(new (std::nothrow) char[size + 2]);
  char* pSourceBuffer = sourceBuffer.get();
  if (!pSourceBuffer) {
    std::fprintf(stderr, "%s:0: error: the effect file (%llu bytes) does not fit in memory\n", stream.getPath().c_str(),
                 static_cast<unsigned long long>(size));
  }
  CRITICAL_CHECK(pSourceBuffer, "");
  std::memset(pSourceBuffer, 0, size + 2);
  stream.read(pSourceBuffer, size);

  fx::Context* pContext = shaderManager::mpThis ? shaderManager::mpThis->getContext() : nullptr;
  if (!pContext) {
    std::fprintf(stderr, "%s: error: no effect context (shaderManager::initialize has not run)\n", getPath().c_str());
  }
  mEffect = pContext ? pContext->createEffect(std::string_view(pSourceBuffer, size), getPath().c_str()) : nullptr;
  if (!mEffect) {
    if (!sBrokenFirstLoadIsFatal) return false;  // the runtime has printed why
    CRITICAL_CHECK(0, "shader compilation error!");
  }
  sourceBuffer.reset();

  mTechnique = mEffect->getFirstTechnique();
  while (mTechnique && !mTechnique->validate()) {
    mTechnique = mTechnique->getNext();
  }
  if (!mTechnique) {
    if (!sBrokenFirstLoadIsFatal) {
      std::fprintf(stderr, "%s:0: error: no valid technique found\n", getPath().c_str());
      return false;
    }
    CRITICAL_CHECK(0, "No valid technique found.\n");
  }

  collectParameters(mEffect->getFirstParameter(), mVecParam);
  const std::string mismatch = checkEngineParameters(mVecParam);
  if (!mismatch.empty()) {
    std::fprintf(stderr, "%s", mismatch.c_str());
    if (!sBrokenFirstLoadIsFatal) return false;
    CRITICAL_CHECK(0, "shader compilation error!");
  }

  for (fx::Pass* pPass = mTechnique->getFirstPass(); pPass; pPass = pPass->getNext()) {
    mVecPass.push_back(pPass);
  }
  CRITICAL_CHECK(mVecPass.size(), "invalid pass num.");

  shaderManager::mpThis->registerShader(this);
  return true;
}

bool resShader::reload(std::string_view source, std::string& error, u32 minimumPasses) {
  error.clear();
  fx::Context* pContext = shaderManager::mpThis ? shaderManager::mpThis->getContext() : nullptr;
  if (!pContext) {
    error = getPath() + ": error: no effect context";
    return false;
  }
  fx::DiagnosticCapture capture;
  fx::Effect* pEffect = pContext->createEffect(source, getPath().c_str());
  fx::Technique* pTechnique = pEffect ? pEffect->getFirstTechnique() : nullptr;
  while (pTechnique && !pTechnique->validate()) {
    pTechnique = pTechnique->getNext();
  }
  if (!pTechnique || !pTechnique->getFirstPass()) {
    error = capture.text();
    if (error.empty()) error = getPath() + ":0: error: no valid technique found\n";
    if (pEffect) pContext->destroyEffect(pEffect);
    return false;
  }
  u32 passes = 0;
  for (fx::Pass* pPass = pTechnique->getFirstPass(); pPass; pPass = pPass->getNext()) ++passes;
  if (minimumPasses < mRequiredPasses) minimumPasses = mRequiredPasses;
  if (passes < minimumPasses) {
    error = getPath() + ":" + std::to_string(pTechnique->getLine()) + ": error: technique '" + pTechnique->getName() +
            "' has " + std::to_string(passes) + " passes; " + std::to_string(minimumPasses) + " are in use\n";
    pContext->destroyEffect(pEffect);
    return false;
  }
  std::vector<ShaderParam> parameters;
  collectParameters(pEffect->getFirstParameter(), parameters);
  error = checkEngineParameters(parameters);
  if (!error.empty()) {
    pContext->destroyEffect(pEffect);
    return false;
  }
  if (fx::Context::isEffect(mEffect)) {
    mEffect->getContext().destroyEffect(mEffect);
  }
  mEffect = pEffect;
  mTechnique = pTechnique;
  mVecPass.clear();
  mVecParam = std::move(parameters);
  for (fx::Pass* pPass = mTechnique->getFirstPass(); pPass; pPass = pPass->getNext()) {
    mVecPass.push_back(pPass);
  }
  // Set again only where every parameter of the name takes what was recorded.
  const std::map<std::string, SetValue> values = mSetValues;
  for (const auto& [name, value] : values) {
    bool fits = true;
    for (const ShaderParam& param : mVecParam) {
      if (param.name != name && param.semantic != name) continue;
      const u32 words = wordsOf(param.type);
      fits = fits && words != 0 && words <= value.count;
    }
    if (fits) setParameter(name.c_str(), value.words);
  }
  for (const auto& [name, flags] : std::map<std::string, u32>(mStateMatrices)) setStateMatrix(name.c_str(), flags);
  return true;
}

bool resShader::wouldLoad(const std::string& path, std::string& error) {
  VellFile file;
  if (!file.open(path.c_str())) {
    error = path + ":0: error: the file cannot be opened";
    return false;
  }
  VellFileStream stream(&file);
  std::string source(stream.getSize(), '\0');
  source.resize(static_cast<std::size_t>(source.empty() ? 0 : stream.read(source.data(), source.size())));
  resShader probe;
  probe.resourceObject::load(stream);  // the path, for the messages
  return probe.reload(source, error);
}

u32 resShader::wordsOf(u32 type) {
  switch (type) {
    case fx::TYPE_HALF:
    case fx::TYPE_FLOAT:
    case fx::TYPE_HALF1:
    case fx::TYPE_FLOAT1:
    case fx::TYPE_SAMPLER1D:
    case fx::TYPE_SAMPLER2D:
    case fx::TYPE_SAMPLER3D:
    case fx::TYPE_SAMPLERCUBE:
      return 1;
    case fx::TYPE_HALF2:
    case fx::TYPE_FLOAT2:
      return 2;
    case fx::TYPE_HALF3:
    case fx::TYPE_FLOAT3:
      return 3;
    case fx::TYPE_HALF4:
    case fx::TYPE_FLOAT4:
      return 4;
    case fx::TYPE_FLOAT4x4:
      return 16;
    default:
      return 0;
  }
}

void resShader::collectParameters(fx::Parameter* pFirst, std::vector<ShaderParam>& parameters) {
  for (fx::Parameter* pParameter = pFirst; pParameter; pParameter = pParameter->getNext()) {
    if (pParameter->getType() == fx::TYPE_STRUCT) {
      collectParameters(pParameter->getFirstStructParameter(), parameters);
    } else if (pParameter->getType() == fx::TYPE_ARRAY) {
      for (int index = 0; index < pParameter->getArraySize(); ++index) {
        collectParameters(pParameter->getArrayParameter(index), parameters);
      }
    } else {
      parameters.push_back({pParameter->getName(), pParameter->getSemantic(), pParameter, pParameter->getType()});
    }
  }
}

std::string resShader::checkEngineParameters(const std::vector<ShaderParam>& parameters) const {
  for (const ShaderParam& param : parameters) {
    for (const std::string* name : {&param.name, &param.semantic}) {
      if (name->empty()) continue;
      std::string problem = engine_parameters::checkDeclaredType(param.name, *name, param.parameter->getTypeInfo());
      // The effect-texture table's names are set by the engine as well: a texture
      // name handed to a float parameter would be read as up to sixteen floats.
      if (problem.empty() && customTextureManager::mpThis) {
        for (const CustomTexture& entry : customTextureManager::mpThis->getEntries()) {
          if (entry.parameterName != *name) continue;
          problem = engine_parameters::checkTableTexture(param.name, *name, param.parameter->getTypeInfo());
          break;
        }
      }
      if (!problem.empty()) {
        return getPath() + ":" + std::to_string(param.parameter->getLine()) + ": error: " + problem + "\n";
      }
    }
  }
  return std::string();
}

void resShader::setParameter(const char* name, const void* value) {
  if (!name || !name[0] || !value) {
    return;
  }
  const float* floats = static_cast<const float*>(value);
  bool recorded = false;
  for (const ShaderParam& param : mVecParam) {
    if (param.name != name && param.semantic != name) {
      continue;
    }
    if (!recorded && wordsOf(param.type) != 0) {
      SetValue record{};
      record.count = wordsOf(param.type);
      std::memcpy(record.words, value, record.count * sizeof(u32));
      mSetValues[name] = record;
      recorded = true;
    }
    switch (param.type) {
      case fx::TYPE_HALF:
      case fx::TYPE_FLOAT:
      case fx::TYPE_HALF1:
      case fx::TYPE_FLOAT1:
        param.parameter->setFloats(floats, 1);
        break;
      case fx::TYPE_HALF2:
      case fx::TYPE_FLOAT2:
        param.parameter->setFloats(floats, 2);
        break;
      case fx::TYPE_HALF3:
      case fx::TYPE_FLOAT3:
        param.parameter->setFloats(floats, 3);
        break;
      case fx::TYPE_HALF4:
      case fx::TYPE_FLOAT4:
        param.parameter->setFloats(floats, 4);
        break;
      case fx::TYPE_FLOAT4x4:
        param.parameter->setMatrixRows(floats);
        break;
      case fx::TYPE_SAMPLER1D:
      case fx::TYPE_SAMPLER2D:
      case fx::TYPE_SAMPLER3D:
      case fx::TYPE_SAMPLERCUBE:
        param.parameter->setTexture(*static_cast<const u32*>(value));
        break;
      default:
        CRITICAL_CHECK(0, "specified type is not supported yet.");
    }
  }
  fx::Error error = fx::Error::None;
  const char* pErrorText = mEffect->getContext().getLastErrorString(&error);
  if (error != fx::Error::None) {
    std::fprintf(stderr, "%s: %s\n", getPath().c_str(), pErrorText);
    CRITICAL_CHECK(0, "Cg error.");
  }
}

namespace {

bool fits(u32 type, resShader::ValueType value) {
  using enum resShader::ValueType;
  switch (type) {
    case fx::TYPE_HALF:
    case fx::TYPE_FLOAT:
    case fx::TYPE_HALF1:
    case fx::TYPE_FLOAT1:
      return value == Float || value == Float4;
    case fx::TYPE_HALF2:
    case fx::TYPE_FLOAT2:
    case fx::TYPE_HALF3:
    case fx::TYPE_FLOAT3:
    case fx::TYPE_HALF4:
    case fx::TYPE_FLOAT4:
      return value == Float4;
    case fx::TYPE_FLOAT4x4:
      return value == Float4x4;
    case fx::TYPE_SAMPLER1D:
    case fx::TYPE_SAMPLER2D:
    case fx::TYPE_SAMPLER3D:
    case fx::TYPE_SAMPLERRECT:  // refused by the setter itself, as it always was
    case fx::TYPE_SAMPLERCUBE:
      return value == Texture;
    default:
      return false;
  }
}

const char* nameOf(resShader::ValueType value) {
  switch (value) {
    case resShader::ValueType::Float: return "float";
    case resShader::ValueType::Float4: return "float4";
    case resShader::ValueType::Float4x4: return "float4x4";
    case resShader::ValueType::Texture: return "texture";
  }
  return "?";
}

}  // namespace

bool resShader::fitsDeclared(const char* name, ValueType value) {
  if (!name) return false;
  for (const ShaderParam& param : mVecParam) {
    if ((param.name != name && param.semantic != name) || fits(param.type, value)) continue;
    if (mRefusedNames.insert(name).second) {
      const fx::TypeInfo* pInfo = param.parameter ? param.parameter->getTypeInfo() : nullptr;
      const int line = param.parameter ? param.parameter->getLine() : 0;
      std::fprintf(stderr, "%s:%d: error: parameter '%s' is declared %s but was given a %s; nothing is set\n",
                   getPath().c_str(), line, param.name.c_str(), pInfo ? pInfo->name : "struct",
                   nameOf(value));
    }
    return false;
  }
  return true;
}

bool resShader::setParameter(const char* name, f32 value) {
  if (!fitsDeclared(name, ValueType::Float)) return false;
  setParameter(name, static_cast<const void*>(&value));
  return true;
}

bool resShader::setParameter(const char* name, const float4& value) {
  if (!fitsDeclared(name, ValueType::Float4)) return false;
  setParameter(name, static_cast<const void*>(value.data()));
  return true;
}

bool resShader::setParameter(const char* name, const float4x4& value) {
  if (!fitsDeclared(name, ValueType::Float4x4)) return false;
  setParameter(name, static_cast<const void*>(value.data()));
  return true;
}

bool resShader::setParameter(const char* name, TextureName texture) {
  if (!fitsDeclared(name, ValueType::Texture)) return false;
  setParameter(name, static_cast<const void*>(&texture.id));
  return true;
}

void resShader::setStateMatrix(const char* name, u32 flags) {
  if (!name) {
    return;
  }
  fx::StateMatrix matrix = fx::StateMatrix::ModelView;
  switch (flags & 0xF0) {
    case state_matrix::kProjection:
      matrix = fx::StateMatrix::Projection;
      break;
    case state_matrix::kTexture:
      matrix = fx::StateMatrix::Texture;
      break;
    case state_matrix::kModelViewProjection:
      matrix = fx::StateMatrix::ModelViewProjection;
      break;
  }
  fx::MatrixTransform transform = fx::MatrixTransform::Identity;
  switch (flags & 0x0F) {
    case state_matrix::kTranspose:
      transform = fx::MatrixTransform::Transpose;
      break;
    case state_matrix::kInverse:
      transform = fx::MatrixTransform::Inverse;
      break;
    case state_matrix::kInverseTranspose:
      transform = fx::MatrixTransform::InverseTranspose;
      break;
  }
  mStateMatrices[name] = flags;
  for (const ShaderParam& param : mVecParam) {
    if (param.name == name || param.semantic == name) {
      param.parameter->setStateMatrix(matrix, transform);
    }
  }
}
