// The table of engine-set parameters. It follows the engine's setters: the scene
// renderer, the post stage, the render objects, the MQO renderer and the
// particle and strap scenes; four work screens.
#include "resource/engine_parameters.h"

namespace engine_parameters {

namespace {

using Kind = EngineValue::Kind;

constexpr EngineValue kValues[] = {
    {"TIME_RATE", Kind::Floats, 1},         {"TIME_RATE_0", Kind::Floats, 1},
    {"TIME_RATE_1", Kind::Floats, 1},       {"TIME_RATE_EFFECT", Kind::Floats, 1},
    {"div", Kind::Floats, 1},               {"shShininess", Kind::Floats, 1},
    {"ViewportSize", Kind::Floats, 2},      {"OutputSize", Kind::Floats, 2},
    {"shEyePos", Kind::Floats, 3},
    {"shLightPos", Kind::Floats, 3},        {"shMqoColor", Kind::Floats, 4},
    {"shAmbient", Kind::Floats, 4},         {"shLightColor", Kind::Floats, 4},
    {"shKe", Kind::Floats, 4},              {"shKa", Kind::Floats, 4},
    {"shKd", Kind::Floats, 4},              {"shKs", Kind::Floats, 4},
    {"shBaseTexture", Kind::Texture, 0},    {"shOverlapTexture", Kind::Texture, 0},
    {"shTexture0", Kind::Texture, 0},       {"srcColBuf0", Kind::Texture, 0},
    {"srcColBuf1", Kind::Texture, 0},       {"srcCBuf0", Kind::Texture, 0},
    {"srcCBuf1", Kind::Texture, 0},         {"srcZBuf0", Kind::Texture, 0},
    {"srcZBuf1", Kind::Texture, 0},         {"workBuf0", Kind::Texture, 0},
    {"workBuf1", Kind::Texture, 0},         {"workBuf2", Kind::Texture, 0},
    {"workBuf3", Kind::Texture, 0},         {"composedBuf", Kind::Texture, 0},
    {"shWorldMat", Kind::StateMatrix, 0},
    {"shViewMat", Kind::StateMatrix, 0},    {"shVProjMat", Kind::StateMatrix, 0},
    {"projMat", Kind::StateMatrix, 0},
};

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

}  // namespace

const EngineValue* find(std::string_view name) {
  for (const EngineValue& value : kValues) {
    if (name == value.name) return &value;
  }
  return nullptr;
}

std::string checkDeclaredType(std::string_view parameterName, std::string_view name, const fx::TypeInfo* type) {
  const EngineValue* value = find(name);
  if (!value) return std::string();
  bool fits = false;
  std::string sets;
  switch (value->kind) {
    case Kind::Floats:
      // Fewer components than the engine's variable read a prefix of it; more read past it.
      fits = type && type->kind == fx::TypeKind::Float && type->rows == 1 && type->components <= value->floats;
      sets = std::to_string(value->floats) + (value->floats == 1 ? " float" : " floats");
      break;
    case Kind::Texture:
      // A rectangle sampler loads and stops the show only if it is set, as the
      // setter's own table has it; it reads nothing past the engine's value.
      fits = type && type->kind == fx::TypeKind::Sampler;
      sets = "a texture";
      break;
    case Kind::StateMatrix:
      fits = type && type->kind == fx::TypeKind::Float && type->rows == 4 && type->components == 4;
      sets = "a 4x4 matrix";
      break;
  }
  if (fits) return std::string();
  std::string problem = "parameter " + quoted(parameterName);
  if (parameterName != name) problem += " (" + quoted(name) + ")";
  return problem + " is declared " + (type ? type->name : "as a struct") + "; the engine sets " + sets;
}

std::string checkTableTexture(std::string_view parameterName, std::string_view name, const fx::TypeInfo* type) {
  if (type && type->kind == fx::TypeKind::Sampler) return std::string();
  std::string problem = "parameter " + quoted(parameterName);
  if (parameterName != name) problem += " (" + quoted(name) + ")";
  return problem + " is declared " + (type ? type->name : "as a struct") +
         "; the effect-texture table sets a texture";
}

}  // namespace engine_parameters
