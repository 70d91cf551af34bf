// The effect-file reader: turns the text of an effect (parameters, structs, GLSL code,
// techniques with passes and render states) into a description, and builds the GLSL
// source of one program from it. Pure code: no GL calls, so it is tested without a display.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/types.h"

namespace fx {

// Profile codes keep the values effect-era code and tests already know them by.
enum class Profile : u32 { GlslVertex = 7007, GlslFragment = 7008 };
enum class Stage { Vertex, Fragment };

// Type codes of the parameter table. The float, half, matrix and sampler codes are
// those of the Cg type enumeration; int and bool use codes of this runtime's own.
enum TypeCode : u32 {
  TYPE_UNKNOWN = 0,
  TYPE_STRUCT = 1,
  TYPE_ARRAY = 2,
  TYPE_HALF = 0x401,
  TYPE_HALF2 = 0x402,
  TYPE_HALF3 = 0x403,
  TYPE_HALF4 = 0x404,
  TYPE_FLOAT = 0x415,
  TYPE_FLOAT2 = 0x416,
  TYPE_FLOAT3 = 0x417,
  TYPE_FLOAT4 = 0x418,
  TYPE_FLOAT2x2 = 0x41E,
  TYPE_FLOAT3x3 = 0x423,
  TYPE_FLOAT4x4 = 0x428,
  TYPE_SAMPLER1D = 0x429,
  TYPE_SAMPLER2D = 0x42A,
  TYPE_SAMPLER3D = 0x42B,
  TYPE_SAMPLERRECT = 0x42C,
  TYPE_SAMPLERCUBE = 0x42D,
  TYPE_HALF1 = 0x442,
  TYPE_FLOAT1 = 0x443,
  TYPE_INT = 0x1001,
  TYPE_INT2 = 0x1002,
  TYPE_INT3 = 0x1003,
  TYPE_INT4 = 0x1004,
  TYPE_BOOL = 0x1011,
  TYPE_BOOL2 = 0x1012,
  TYPE_BOOL3 = 0x1013,
  TYPE_BOOL4 = 0x1014,
};

enum class TypeKind : u8 { Float, Int, Bool, Sampler };

struct TypeInfo {
  const char* name;      // as written in an effect file (Cg or GLSL spelling)
  const char* glslName;  // as declared in the generated GLSL
  u32 code;
  TypeKind kind;
  u8 rows;        // N for an NxN matrix, 1 otherwise
  u8 components;  // per row
  u32 target;     // texture target of a sampler, 0 otherwise
};

// The built-in type spelled `name`, or null.
const TypeInfo* findType(std::string_view name);

enum class StateId : u8 {
  DepthTestEnable,
  DepthMask,
  DepthFunc,
  CullFaceEnable,
  CullFace,
  BlendEnable,
  BlendFunc,
  BlendEquation,
  AlphaTestEnable,
  AlphaFunc,
  ColorMask,
  PointSpriteEnable,
  PointSpriteCoordReplace,
  VertexProgramPointSizeEnable,
};

// One render-state assignment of a pass, its values already turned into GL enums in
// the shape the GL call takes: a blend factor pair or equation is repeated for alpha.
struct StateAssignment {
  StateId id = StateId::DepthTestEnable;
  u32 values[4] = {0, 0, 0, 0};
  float reference = 0.0f;  // AlphaFunc's reference value
  int line = 0;
};

// One texture parameter of a sampler_state block (GL parameter name and value).
struct SamplerStateAssignment {
  u32 parameter = 0;
  u32 value = 0;
};

struct MemberDecl {
  std::string type;
  std::string name;
  std::string semantic;
  int arraySize = 0;  // 0: not an array
  int line = 0;
};

struct StructDecl {
  std::string name;
  std::vector<MemberDecl> members;
  int line = 0;
  // Worked out once when the struct is read, from its members' own figures, so
  // that nothing walks nested structs again: the parameter records one value of
  // the struct makes (itself included, saturating) and how deep structs nest in it.
  u64 records = 1;
  int depth = 1;
};

struct ParameterDecl {
  std::string type;
  std::string name;
  std::string semantic;
  int arraySize = 0;
  std::vector<float> initialValue;  // empty: zeros
  std::vector<SamplerStateAssignment> samplerStates;
  int line = 0;
};

struct CodeItem {
  enum class Kind { Directive, Global, Function };
  Kind kind = Kind::Global;
  std::string text;  // exactly as written in the file
  int line = 0;
  bool attribute = false;          // an attribute declaration: vertex programs only
  std::string functionName;        // Function only
  std::string returnType;          // Function only
  bool definition = false;         // Function with a body (not a prototype)
  std::vector<std::string> references;  // identifiers used by a Function
};

struct ProgramDecl {
  Stage stage = Stage::Vertex;
  std::string profile;
  std::string entry;
  std::string arguments;  // text between the call's parentheses
  int line = 0;
};

struct PassDecl {
  std::string name;
  std::optional<ProgramDecl> vertex;
  std::optional<ProgramDecl> fragment;
  std::vector<StateAssignment> states;
  int line = 0;
};

struct TechniqueDecl {
  std::string name;
  std::vector<PassDecl> passes;
  int line = 0;
};

struct TopLevelItem {
  enum class Kind { Struct, Parameter, Code };
  Kind kind;
  std::size_t index;
};

struct EffectDescription {
  std::vector<StructDecl> structs;
  std::vector<ParameterDecl> parameters;
  std::vector<CodeItem> code;
  std::vector<TopLevelItem> order;  // file order of the three lists above
  std::vector<TechniqueDecl> techniques;

  const StructDecl* findStruct(std::string_view name) const;
};

struct SourceError {
  int line = 0;
  std::string message;
};

// Reads an effect; false with `error` set (line and problem) on malformed input.
bool parseEffect(std::string_view text, EffectDescription& effect, SourceError& error);

// GLSL 1.20 source for one program: declarations in file order, only the functions
// the entry reaches, and a main() that calls the entry. #line directives keep the
// driver's messages on the effect file's own line numbers.
std::string buildProgramSource(const EffectDescription& effect, const ProgramDecl& program);

// The first source line a driver's compile log points at ("0:12(5): error" or
// "0(12) : error"), or 0 when the log names none.
int lineFromDriverLog(std::string_view log);

// Lines line-around .. line+around of text, numbered, the line itself marked with '>'.
std::string listLines(std::string_view text, int line, int around);

}  // namespace fx
