// The effect parameters the engine sets by name or semantic, with the value it
// hands each one, and the check that an effect declares them with a type that
// value fits (the setter reads as many values as the declared type holds).
#pragma once

#include <string>
#include <string_view>

#include "fx/effect_source.h"

namespace engine_parameters {

struct EngineValue {
  enum class Kind { Floats, Texture, StateMatrix };
  const char* name;
  Kind kind;
  int floats;  // Floats only: how many the engine's variable holds
};

// What the engine sets under this name or semantic, or null.
const EngineValue* find(std::string_view name);

// Empty when a parameter of the given type can take the value the engine sets
// under `name` (or when the engine sets nothing there); otherwise the problem,
// naming the parameter: "parameter 'T' is declared float4x4; the engine sets 1 float".
std::string checkDeclaredType(std::string_view parameterName, std::string_view name, const fx::TypeInfo* type);

// The same for a texture the effect-texture table sets under `name`.
std::string checkTableTexture(std::string_view parameterName, std::string_view name, const fx::TypeInfo* type);

}  // namespace engine_parameters
