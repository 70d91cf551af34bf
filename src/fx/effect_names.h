// The names an effect file may use: its types, the render states a pass may set
// and the values of each. Shared by the parser and the GLSL builder of fx/; not
// for use outside it.
#pragma once

#include <strings.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "fx/effect_source.h"
#include "fx/gl_enums.h"

namespace fx {

constexpr TypeInfo kTypes[] = {
    {"float", "float", TYPE_FLOAT, TypeKind::Float, 1, 1, 0},
    {"float1", "float", TYPE_FLOAT1, TypeKind::Float, 1, 1, 0},
    {"half", "float", TYPE_HALF, TypeKind::Float, 1, 1, 0},
    {"half1", "float", TYPE_HALF1, TypeKind::Float, 1, 1, 0},
    {"float2", "vec2", TYPE_FLOAT2, TypeKind::Float, 1, 2, 0},
    {"vec2", "vec2", TYPE_FLOAT2, TypeKind::Float, 1, 2, 0},
    {"half2", "vec2", TYPE_HALF2, TypeKind::Float, 1, 2, 0},
    {"float3", "vec3", TYPE_FLOAT3, TypeKind::Float, 1, 3, 0},
    {"vec3", "vec3", TYPE_FLOAT3, TypeKind::Float, 1, 3, 0},
    {"half3", "vec3", TYPE_HALF3, TypeKind::Float, 1, 3, 0},
    {"float4", "vec4", TYPE_FLOAT4, TypeKind::Float, 1, 4, 0},
    {"vec4", "vec4", TYPE_FLOAT4, TypeKind::Float, 1, 4, 0},
    {"half4", "vec4", TYPE_HALF4, TypeKind::Float, 1, 4, 0},
    {"float2x2", "mat2", TYPE_FLOAT2x2, TypeKind::Float, 2, 2, 0},
    {"mat2", "mat2", TYPE_FLOAT2x2, TypeKind::Float, 2, 2, 0},
    {"float3x3", "mat3", TYPE_FLOAT3x3, TypeKind::Float, 3, 3, 0},
    {"mat3", "mat3", TYPE_FLOAT3x3, TypeKind::Float, 3, 3, 0},
    {"float4x4", "mat4", TYPE_FLOAT4x4, TypeKind::Float, 4, 4, 0},
    {"mat4", "mat4", TYPE_FLOAT4x4, TypeKind::Float, 4, 4, 0},
    {"int", "int", TYPE_INT, TypeKind::Int, 1, 1, 0},
    {"int2", "ivec2", TYPE_INT2, TypeKind::Int, 1, 2, 0},
    {"ivec2", "ivec2", TYPE_INT2, TypeKind::Int, 1, 2, 0},
    {"int3", "ivec3", TYPE_INT3, TypeKind::Int, 1, 3, 0},
    {"ivec3", "ivec3", TYPE_INT3, TypeKind::Int, 1, 3, 0},
    {"int4", "ivec4", TYPE_INT4, TypeKind::Int, 1, 4, 0},
    {"ivec4", "ivec4", TYPE_INT4, TypeKind::Int, 1, 4, 0},
    {"bool", "bool", TYPE_BOOL, TypeKind::Bool, 1, 1, 0},
    {"bool2", "bvec2", TYPE_BOOL2, TypeKind::Bool, 1, 2, 0},
    {"bvec2", "bvec2", TYPE_BOOL2, TypeKind::Bool, 1, 2, 0},
    {"bool3", "bvec3", TYPE_BOOL3, TypeKind::Bool, 1, 3, 0},
    {"bvec3", "bvec3", TYPE_BOOL3, TypeKind::Bool, 1, 3, 0},
    {"bool4", "bvec4", TYPE_BOOL4, TypeKind::Bool, 1, 4, 0},
    {"bvec4", "bvec4", TYPE_BOOL4, TypeKind::Bool, 1, 4, 0},
    {"sampler1D", "sampler1D", TYPE_SAMPLER1D, TypeKind::Sampler, 1, 1, glenum::TEXTURE_1D},
    {"sampler2D", "sampler2D", TYPE_SAMPLER2D, TypeKind::Sampler, 1, 1, glenum::TEXTURE_2D},
    {"sampler3D", "sampler3D", TYPE_SAMPLER3D, TypeKind::Sampler, 1, 1, glenum::TEXTURE_3D},
    {"samplerCUBE", "samplerCube", TYPE_SAMPLERCUBE, TypeKind::Sampler, 1, 1, glenum::TEXTURE_CUBE_MAP},
    {"samplerCube", "samplerCube", TYPE_SAMPLERCUBE, TypeKind::Sampler, 1, 1, glenum::TEXTURE_CUBE_MAP},
    {"samplerRECT", "sampler2DRect", TYPE_SAMPLERRECT, TypeKind::Sampler, 1, 1, glenum::TEXTURE_RECTANGLE},
    {"sampler2DRect", "sampler2DRect", TYPE_SAMPLERRECT, TypeKind::Sampler, 1, 1, glenum::TEXTURE_RECTANGLE},
};

struct NamedEnum {
  const char* name;
  u32 value;
};

// Effect-file names are matched without regard to case, as effect authors expect.
inline bool sameWord(std::string_view a, const char* b) {
  const std::size_t length = std::char_traits<char>::length(b);
  return a.size() == length && ::strncasecmp(a.data(), b, length) == 0;
}

template <std::size_t N>
const NamedEnum* findEnum(const NamedEnum (&table)[N], std::string_view name) {
  for (const NamedEnum& entry : table) {
    if (sameWord(name, entry.name)) {
      return &entry;
    }
  }
  return nullptr;
}

inline constexpr NamedEnum kCompareFunctions[] = {
    {"Never", glenum::NEVER},   {"Less", glenum::LESS},         {"LEqual", glenum::LEQUAL},
    {"LessEqual", glenum::LEQUAL}, {"Equal", glenum::EQUAL},    {"Greater", glenum::GREATER},
    {"NotEqual", glenum::NOTEQUAL}, {"GEqual", glenum::GEQUAL}, {"GreaterEqual", glenum::GEQUAL},
    {"Always", glenum::ALWAYS},
};
inline constexpr NamedEnum kFaces[] = {{"Front", glenum::FRONT}, {"Back", glenum::BACK}, {"FrontAndBack", glenum::FRONT_AND_BACK}};
inline constexpr NamedEnum kBlendFactors[] = {
    {"Zero", glenum::ZERO},
    {"One", glenum::ONE},
    {"SrcColor", glenum::SRC_COLOR},
    {"OneMinusSrcColor", glenum::ONE_MINUS_SRC_COLOR},
    {"DestColor", glenum::DST_COLOR},
    {"DstColor", glenum::DST_COLOR},
    {"OneMinusDestColor", glenum::ONE_MINUS_DST_COLOR},
    {"OneMinusDstColor", glenum::ONE_MINUS_DST_COLOR},
    {"SrcAlpha", glenum::SRC_ALPHA},
    {"OneMinusSrcAlpha", glenum::ONE_MINUS_SRC_ALPHA},
    {"DstAlpha", glenum::DST_ALPHA},
    {"DestAlpha", glenum::DST_ALPHA},
    {"OneMinusDstAlpha", glenum::ONE_MINUS_DST_ALPHA},
    {"OneMinusDestAlpha", glenum::ONE_MINUS_DST_ALPHA},
    {"SrcAlphaSaturate", glenum::SRC_ALPHA_SATURATE},
    {"ConstantColor", glenum::CONSTANT_COLOR},
    {"OneMinusConstantColor", glenum::ONE_MINUS_CONSTANT_COLOR},
};
inline constexpr NamedEnum kBlendEquations[] = {
    {"FuncAdd", glenum::FUNC_ADD},
    {"Add", glenum::FUNC_ADD},
    {"FuncSubtract", glenum::FUNC_SUBTRACT},
    {"Subtract", glenum::FUNC_SUBTRACT},
    {"FuncReverseSubtract", glenum::FUNC_REVERSE_SUBTRACT},
    {"ReverseSubtract", glenum::FUNC_REVERSE_SUBTRACT},
    {"Min", glenum::MIN},
    {"Max", glenum::MAX},
};
inline constexpr NamedEnum kMinFilters[] = {
    {"Nearest", glenum::NEAREST},
    {"Linear", glenum::LINEAR},
    {"NearestMipmapNearest", glenum::NEAREST_MIPMAP_NEAREST},
    {"LinearMipmapNearest", glenum::LINEAR_MIPMAP_NEAREST},
    {"NearestMipmapLinear", glenum::NEAREST_MIPMAP_LINEAR},
    {"LinearMipmapLinear", glenum::LINEAR_MIPMAP_LINEAR},
};
inline constexpr NamedEnum kWrapModes[] = {
    {"Repeat", glenum::REPEAT},
    {"Clamp", glenum::CLAMP},
    {"ClampToEdge", glenum::CLAMP_TO_EDGE},
    {"ClampToBorder", glenum::CLAMP_TO_BORDER},
    {"MirroredRepeat", glenum::MIRRORED_REPEAT},
};

enum class ValueShape { Bool, Enum, TwoEnums, EnumAndFloat, FourBools };

struct StateRule {
  const char* name;
  StateId id;
  ValueShape shape;
  const NamedEnum* values;
  std::size_t valueCount;
};

template <std::size_t N>
constexpr StateRule state(const char* name, StateId id, ValueShape shape, const NamedEnum (&values)[N]) {
  return {name, id, shape, values, N};
}
constexpr StateRule flag(const char* name, StateId id) { return {name, id, ValueShape::Bool, nullptr, 0}; }

inline constexpr StateRule kStates[] = {
    flag("DepthTestEnable", StateId::DepthTestEnable),
    flag("DepthMask", StateId::DepthMask),
    flag("DepthWriteEnable", StateId::DepthMask),
    state("DepthFunc", StateId::DepthFunc, ValueShape::Enum, kCompareFunctions),
    flag("CullFaceEnable", StateId::CullFaceEnable),
    state("CullFace", StateId::CullFace, ValueShape::Enum, kFaces),
    flag("BlendEnable", StateId::BlendEnable),
    state("BlendFunc", StateId::BlendFunc, ValueShape::TwoEnums, kBlendFactors),
    state("BlendEquation", StateId::BlendEquation, ValueShape::Enum, kBlendEquations),
    flag("AlphaTestEnable", StateId::AlphaTestEnable),
    state("AlphaFunc", StateId::AlphaFunc, ValueShape::EnumAndFloat, kCompareFunctions),
    {"ColorMask", StateId::ColorMask, ValueShape::FourBools, nullptr, 0},
    flag("PointSpriteEnable", StateId::PointSpriteEnable),
    flag("PointSpriteCoordReplace", StateId::PointSpriteCoordReplace),
    flag("VertexProgramPointSizeEnable", StateId::VertexProgramPointSizeEnable),
    flag("ProgramPointSizeEnable", StateId::VertexProgramPointSizeEnable),
};

}  // namespace fx
