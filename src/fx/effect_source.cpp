// Tokenizer, parser and GLSL source builder of effect files.
// Every error names the line it was found on; every loop consumes a token, so
// damaged input ends in an error, never in a hang.
#include "fx/effect_source.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "fx/gl_enums.h"

namespace fx {

namespace {

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
bool sameWord(std::string_view a, const char* b) {
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

constexpr NamedEnum kCompareFunctions[] = {
    {"Never", glenum::NEVER},   {"Less", glenum::LESS},         {"LEqual", glenum::LEQUAL},
    {"LessEqual", glenum::LEQUAL}, {"Equal", glenum::EQUAL},    {"Greater", glenum::GREATER},
    {"NotEqual", glenum::NOTEQUAL}, {"GEqual", glenum::GEQUAL}, {"GreaterEqual", glenum::GEQUAL},
    {"Always", glenum::ALWAYS},
};
constexpr NamedEnum kFaces[] = {{"Front", glenum::FRONT}, {"Back", glenum::BACK}, {"FrontAndBack", glenum::FRONT_AND_BACK}};
constexpr NamedEnum kBlendFactors[] = {
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
constexpr NamedEnum kBlendEquations[] = {
    {"FuncAdd", glenum::FUNC_ADD},
    {"Add", glenum::FUNC_ADD},
    {"FuncSubtract", glenum::FUNC_SUBTRACT},
    {"Subtract", glenum::FUNC_SUBTRACT},
    {"FuncReverseSubtract", glenum::FUNC_REVERSE_SUBTRACT},
    {"ReverseSubtract", glenum::FUNC_REVERSE_SUBTRACT},
    {"Min", glenum::MIN},
    {"Max", glenum::MAX},
};
constexpr NamedEnum kMinFilters[] = {
    {"Nearest", glenum::NEAREST},
    {"Linear", glenum::LINEAR},
    {"NearestMipmapNearest", glenum::NEAREST_MIPMAP_NEAREST},
    {"LinearMipmapNearest", glenum::LINEAR_MIPMAP_NEAREST},
    {"NearestMipmapLinear", glenum::NEAREST_MIPMAP_LINEAR},
    {"LinearMipmapLinear", glenum::LINEAR_MIPMAP_LINEAR},
};
constexpr NamedEnum kWrapModes[] = {
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

constexpr StateRule kStates[] = {
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

// ---------------------------------------------------------------------------
// Tokens

enum class TokenKind { End, Identifier, Number, String, Symbol, Directive };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string_view text;
  int line = 1;
  std::size_t offset = 0;

  bool is(char symbol) const { return kind == TokenKind::Symbol && text.size() == 1 && text[0] == symbol; }
  bool isWord(std::string_view word) const { return kind == TokenKind::Identifier && text == word; }
};

bool isIdentifierStart(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isIdentifierPart(unsigned char c) { return isIdentifierStart(c) || isDigit(c); }

std::string describeByte(unsigned char c) {
  char buffer[48];
  if (c >= 0x21 && c < 0x7F) {
    std::snprintf(buffer, sizeof buffer, "unexpected character '%c'", c);
  } else {
    std::snprintf(buffer, sizeof buffer, "unexpected byte 0x%02X (not effect text)", c);
  }
  return buffer;
}

bool tokenize(std::string_view text, std::vector<Token>& tokens, SourceError& error) {
  std::size_t at = 0;
  int line = 1;
  bool lineStart = true;
  const std::string_view symbols = "{}()[];,=:<>+-*/%!&|^~?.";
  while (at < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c == '\n') {
      ++line;
      ++at;
      lineStart = true;
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++at;
      continue;
    }
    if (c == '/' && at + 1 < text.size() && text[at + 1] == '/') {
      while (at < text.size() && text[at] != '\n') {
        ++at;
      }
      continue;
    }
    if (c == '/' && at + 1 < text.size() && text[at + 1] == '*') {
      const int opened = line;
      const std::size_t close = text.find("*/", at + 2);
      if (close == std::string_view::npos) {
        error = {opened, "unterminated comment"};
        return false;
      }
      for (std::size_t i = at; i < close; ++i) {
        line += text[i] == '\n';
      }
      at = close + 2;
      continue;
    }
    Token token;
    token.line = line;
    token.offset = at;
    const std::size_t start = at;
    if (c == '#' && lineStart) {
      while (at < text.size() && text[at] != '\n') {
        ++at;
      }
      token.kind = TokenKind::Directive;
    } else if (isIdentifierStart(c)) {
      while (at < text.size() && isIdentifierPart(static_cast<unsigned char>(text[at]))) {
        ++at;
      }
      token.kind = TokenKind::Identifier;
    } else if (isDigit(c) || (c == '.' && at + 1 < text.size() && isDigit(static_cast<unsigned char>(text[at + 1])))) {
      while (at < text.size()) {
        const unsigned char d = static_cast<unsigned char>(text[at]);
        // A number may open the file: there is no byte before its first one.
        const unsigned char previous = at > start ? static_cast<unsigned char>(text[at - 1]) : 0;
        if (isIdentifierPart(d) || d == '.' || ((d == '+' || d == '-') && (previous == 'e' || previous == 'E'))) {
          ++at;
        } else {
          break;
        }
      }
      token.kind = TokenKind::Number;
    } else if (c == '"') {
      ++at;
      while (at < text.size() && text[at] != '"' && text[at] != '\n') {
        ++at;
      }
      if (at >= text.size() || text[at] != '"') {
        error = {line, "unterminated string"};
        return false;
      }
      ++at;
      token.kind = TokenKind::String;
    } else if (symbols.find(static_cast<char>(c)) != std::string_view::npos) {
      ++at;
      token.kind = TokenKind::Symbol;
    } else {
      error = {line, describeByte(c)};
      return false;
    }
    token.text = text.substr(start, at - start);
    tokens.push_back(token);
    lineStart = false;
  }
  Token end;
  end.line = line;
  end.offset = text.size();
  tokens.push_back(end);
  return true;
}

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

std::string describeToken(const Token& token) {
  return token.kind == TokenKind::End ? std::string("end of file") : quoted(token.text);
}

// ---------------------------------------------------------------------------
// Parser

class Parser {
 public:
  Parser(std::string_view text, std::vector<Token> tokens, EffectDescription& effect)
      : mText(text), mTokens(std::move(tokens)), mEffect(effect) {}

  bool parse(SourceError& error) {
    while (peek().kind != TokenKind::End) {
      if (!parseTopLevel()) {
        error = mError;
        return false;
      }
    }
    if (mEffect.techniques.empty()) {
      error = {peek().line, "the effect declares no technique"};
      return false;
    }
    if (!checkEntries()) {
      error = mError;
      return false;
    }
    return true;
  }

 private:
  const Token& peek(std::size_t ahead = 0) const {
    const std::size_t index = std::min(mAt + ahead, mTokens.size() - 1);
    return mTokens[index];
  }
  const Token& take() {
    const Token& token = mTokens[mAt];
    if (mAt + 1 < mTokens.size()) {
      ++mAt;
    }
    return token;
  }

  bool fail(int line, std::string message) {
    mError = {line, std::move(message)};
    return false;
  }
  bool fail(const Token& token, std::string message) { return fail(token.line, std::move(message)); }

  bool expectSymbol(char symbol, const char* where) {
    const Token& token = take();
    if (!token.is(symbol)) {
      return fail(token, std::string("expected '") + symbol + "' " + where + ", found " + describeToken(token));
    }
    return true;
  }
  bool expectIdentifier(std::string_view& name, const char* what) {
    const Token& token = take();
    if (token.kind != TokenKind::Identifier) {
      return fail(token, std::string("expected ") + what + ", found " + describeToken(token));
    }
    name = token.text;
    return true;
  }

  bool isKnownType(std::string_view name) const { return findType(name) || mEffect.findStruct(name); }

  // Skips to the symbol that closes the bracket just taken, collecting identifiers.
  bool skipBalanced(const Token& open, std::vector<std::string>* identifiers) {
    std::vector<const Token*> stack{&open};
    while (!stack.empty()) {
      const Token& token = take();
      if (token.kind == TokenKind::End) {
        return fail(*stack.back(), "unbalanced " + quoted(stack.back()->text) + ": no closing bracket before the end of the file");
      }
      if (token.kind == TokenKind::Identifier && identifiers) {
        identifiers->emplace_back(token.text);
      }
      if (token.is('{') || token.is('(') || token.is('[')) {
        stack.push_back(&token);
      } else if (token.is('}') || token.is(')') || token.is(']')) {
        const char expected = stack.back()->text[0] == '{' ? '}' : stack.back()->text[0] == '(' ? ')' : ']';
        if (token.text[0] != expected) {
          return fail(token, "unbalanced brackets: " + quoted(token.text) + " closes " + quoted(stack.back()->text) +
                                 " opened at line " + std::to_string(stack.back()->line));
        }
        stack.pop_back();
      }
    }
    return true;
  }

  std::string textBetween(const Token& first, std::size_t endOffset) const {
    return std::string(mText.substr(first.offset, endOffset - first.offset));
  }
  std::size_t endOfPrevious() const {
    const Token& last = mTokens[mAt - 1];
    return last.offset + last.text.size();
  }

  bool parseTopLevel() {
    const Token& first = peek();
    if (first.kind == TokenKind::Directive) {
      take();
      const std::size_t word = first.text.find_first_not_of("# \t");
      if (word != std::string_view::npos && first.text.substr(word).starts_with("version")) {
        return true;  // programs are always GLSL 1.20; the builder writes its own #version
      }
      CodeItem item;
      item.kind = CodeItem::Kind::Directive;
      item.text = std::string(first.text);
      item.line = first.line;
      addCode(std::move(item));
      return true;
    }
    if (first.is(';')) {
      take();
      return true;
    }
    if (first.kind != TokenKind::Identifier) {
      return fail(first, "unexpected " + describeToken(first) + " at file scope");
    }
    if (first.text == "technique") {
      return parseTechnique();
    }
    if (first.text == "struct") {
      return parseStruct();
    }
    if (first.text == "pass") {
      return fail(first, "'pass' outside a technique");
    }
    if (first.text == "varying" || first.text == "attribute" || first.text == "const" || first.text == "static" ||
        first.text == "invariant") {
      return parseGlobalCode();
    }
    return parseDeclarationOrFunction();
  }

  void addCode(CodeItem item) {
    mEffect.order.push_back({TopLevelItem::Kind::Code, mEffect.code.size()});
    mEffect.code.push_back(std::move(item));
  }

  bool parseGlobalCode() {
    const Token& first = take();
    for (;;) {
      const Token& token = peek();
      if (token.kind == TokenKind::End) {
        return fail(first, "declaration starting here has no closing ';'");
      }
      if (token.is('}') || token.is(')') || token.is(']')) {
        return fail(token, "unbalanced brackets: unexpected " + quoted(token.text));
      }
      take();
      if (token.is(';')) {
        break;
      }
      if ((token.is('{') || token.is('(') || token.is('[')) && !skipBalanced(token, nullptr)) {
        return false;
      }
    }
    CodeItem item;
    item.kind = CodeItem::Kind::Global;
    item.text = textBetween(first, endOfPrevious());
    item.line = first.line;
    item.attribute = first.text == "attribute";
    addCode(std::move(item));
    return true;
  }

  bool parseDeclarationOrFunction() {
    const Token& first = peek();
    const bool uniform = first.isWord("uniform");
    if (uniform) {
      take();
    }
    const Token& typeToken = take();
    if (typeToken.kind != TokenKind::Identifier) {
      return fail(typeToken, "expected a type, found " + describeToken(typeToken));
    }
    const Token& nameToken = peek();
    if (nameToken.kind != TokenKind::Identifier) {
      return fail(nameToken, "expected a name after " + quoted(typeToken.text) + ", found " + describeToken(nameToken));
    }
    if (peek(1).is('(') && !uniform) {
      return parseFunction(first, typeToken);
    }
    if (!isKnownType(typeToken.text)) {
      return fail(typeToken, "unknown type " + quoted(typeToken.text));
    }
    take();
    ParameterDecl parameter;
    parameter.type = std::string(typeToken.text);
    parameter.name = std::string(nameToken.text);
    parameter.line = nameToken.line;
    for (const ParameterDecl& other : mEffect.parameters) {
      if (other.name == parameter.name) {
        return fail(nameToken, "parameter " + quoted(parameter.name) + " is already declared at line " + std::to_string(other.line));
      }
    }
    if (peek().is('[') && !parseArraySize(parameter.arraySize)) {
      return false;
    }
    mValueCount += recordCount(parameter.type, parameter.arraySize);
    if (mValueCount > kMaxValues) {
      return fail(nameToken, "the effect declares more than " + std::to_string(kMaxValues) + " parameter values");
    }
    if (!parseOptionalSemantic(parameter.semantic)) {
      return false;
    }
    if (peek().is('=')) {
      take();
      if (!parseInitialiser(parameter)) {
        return false;
      }
    }
    if (!expectSymbol(';', ("after parameter " + quoted(parameter.name)).c_str())) {
      return false;
    }
    mEffect.order.push_back({TopLevelItem::Kind::Parameter, mEffect.parameters.size()});
    mEffect.parameters.push_back(std::move(parameter));
    return true;
  }

  // Parameter records a declaration makes (struct and array records as well as
  // leaves), saturating, so that nested arrays of structs cannot ask for more
  // memory than a machine has. A struct's own figure was worked out when it was
  // read, so this never walks nested structs: a few hundred bytes of structs two
  // members wide, nested deep, would otherwise take exponential time.
  u64 recordCount(std::string_view type, int arraySize) const {
    const StructDecl* decl = mEffect.findStruct(type);
    const u64 element = decl ? decl->records : 1;
    const u64 count = arraySize > 0 ? 1 + element * static_cast<u64>(arraySize) : element;
    return std::min<u64>(count, kMaxValues + 1);
  }

  bool parseOptionalSemantic(std::string& semantic) {
    if (!peek().is(':')) {
      return true;
    }
    take();
    std::string_view name;
    if (!expectIdentifier(name, "a semantic after ':'")) {
      return false;
    }
    semantic = std::string(name);
    return true;
  }

  bool parseArraySize(int& size) {
    take();  // '['
    const Token& number = take();
    const long value = number.kind == TokenKind::Number ? std::strtol(std::string(number.text).c_str(), nullptr, 10) : 0;
    if (value <= 0 || value > 4096) {
      return fail(number, "array size must be a positive whole number, found " + describeToken(number));
    }
    size = static_cast<int>(value);
    return expectSymbol(']', "after the array size");
  }

  bool parseFunction(const Token& first, const Token& returnType) {
    CodeItem item;
    item.kind = CodeItem::Kind::Function;
    item.line = first.line;
    item.returnType = std::string(returnType.text);
    item.functionName = std::string(take().text);
    const Token& open = take();  // '('
    if (!skipBalanced(open, &item.references)) {
      return false;
    }
    const Token& next = take();
    if (next.is('{')) {
      if (!skipBalanced(next, &item.references)) {
        return false;
      }
      item.definition = true;
    } else if (!next.is(';')) {
      return fail(next, "expected the body of function " + quoted(item.functionName) + ", found " + describeToken(next));
    }
    item.text = textBetween(first, endOfPrevious());
    addCode(std::move(item));
    return true;
  }

  bool parseNumber(float& value) {
    bool negative = false;
    if (peek().is('-')) {
      take();
      negative = true;
    }
    const Token& token = take();
    if (token.isWord("true") || token.isWord("false")) {
      value = token.text == "true" ? 1.0f : 0.0f;
      return true;
    }
    if (token.kind != TokenKind::Number) {
      return fail(token, "expected a number, found " + describeToken(token));
    }
    char* end = nullptr;
    const std::string digits(token.text);
    value = std::strtof(digits.c_str(), &end);
    if (end == digits.c_str() || (*end && std::string_view(end) != "f" && std::string_view(end) != "F")) {
      return fail(token, "malformed number " + quoted(token.text));
    }
    value = negative ? -value : value;
    return true;
  }

  bool parseInitialiser(ParameterDecl& parameter) {
    const TypeInfo* type = findType(parameter.type);
    if (peek().isWord("sampler_state")) {
      if (!type || type->kind != TypeKind::Sampler || parameter.arraySize) {
        return fail(peek(), "sampler_state belongs to a single sampler parameter, not " + quoted(parameter.name));
      }
      take();
      return parseSamplerState(parameter);
    }
    if (!type || type->kind == TypeKind::Sampler || parameter.arraySize) {
      return fail(peek(), "initial values are for single scalar, vector and matrix parameters; " + quoted(parameter.name) +
                              " cannot have one");
    }
    const std::size_t count = static_cast<std::size_t>(type->rows) * type->components;
    char close = 0;
    if (peek().is('{')) {
      take();
      close = '}';
    } else if (peek().kind == TokenKind::Identifier && peek(1).is('(') && findType(peek().text)) {
      take();
      take();
      close = ')';
    }
    do {
      float value = 0.0f;
      if (!parseNumber(value)) {
        return false;
      }
      parameter.initialValue.push_back(value);
    } while (close && peek().is(',') && (take(), true));
    if (close && !expectSymbol(close, "to end the initial value")) {
      return false;
    }
    if (parameter.initialValue.size() == 1 && count > 1 && type->rows == 1) {
      parameter.initialValue.assign(count, parameter.initialValue[0]);
    }
    if (parameter.initialValue.size() != count) {
      return fail(parameter.line, quoted(parameter.name) + " takes " + std::to_string(count) + " values, the initial value has " +
                                      std::to_string(parameter.initialValue.size()));
    }
    return true;
  }

  bool parseSamplerState(ParameterDecl& parameter) {
    if (!expectSymbol('{', "after sampler_state")) {
      return false;
    }
    while (!peek().is('}')) {
      std::string_view name;
      if (!expectIdentifier(name, "a sampler state name or '}'")) {
        return false;
      }
      const int line = mTokens[mAt - 1].line;
      if (!expectSymbol('=', "after the sampler state name")) {
        return false;
      }
      SamplerStateAssignment assignment;
      bool magnification = false;
      bool filter = true;
      if (sameWord(name, "MinFilter")) {
        assignment.parameter = glenum::TEXTURE_MIN_FILTER;
      } else if (sameWord(name, "MagFilter")) {
        assignment.parameter = glenum::TEXTURE_MAG_FILTER;
        magnification = true;
      } else if (sameWord(name, "WrapS") || sameWord(name, "WrapT") || sameWord(name, "WrapR")) {
        assignment.parameter = sameWord(name, "WrapS")   ? glenum::TEXTURE_WRAP_S
                               : sameWord(name, "WrapT") ? glenum::TEXTURE_WRAP_T
                                                         : glenum::TEXTURE_WRAP_R;
        filter = false;
      } else {
        return fail(line, "unknown sampler state " + quoted(name));
      }
      std::string_view value;
      if (!expectIdentifier(value, "a sampler state value")) {
        return false;
      }
      const NamedEnum* found = filter ? findEnum(kMinFilters, value) : findEnum(kWrapModes, value);
      if (!found || (magnification && found->value != glenum::NEAREST && found->value != glenum::LINEAR)) {
        return fail(line, "unknown value " + quoted(value) + " for sampler state " + quoted(name));
      }
      assignment.value = found->value;
      parameter.samplerStates.push_back(assignment);
      if (!expectSymbol(';', "after the sampler state")) {
        return false;
      }
    }
    take();  // '}'
    return true;
  }

  bool parseStruct() {
    take();  // struct
    StructDecl decl;
    std::string_view name;
    if (!expectIdentifier(name, "a struct name")) {
      return false;
    }
    decl.name = std::string(name);
    decl.line = mTokens[mAt - 1].line;
    if (isKnownType(name)) {
      return fail(decl.line, "type " + quoted(name) + " is already defined");
    }
    const Token& open = peek();
    if (!expectSymbol('{', "after the struct name")) {
      return false;
    }
    while (!peek().is('}')) {
      if (peek().kind == TokenKind::End) {
        return fail(open, "unbalanced '{': struct " + quoted(decl.name) + " is not closed");
      }
      MemberDecl member;
      const Token& typeToken = take();
      if (typeToken.kind != TokenKind::Identifier || !isKnownType(typeToken.text)) {
        return fail(typeToken, typeToken.kind == TokenKind::Identifier ? "unknown type " + quoted(typeToken.text)
                                                                       : "expected a member type, found " + describeToken(typeToken));
      }
      member.type = std::string(typeToken.text);
      member.line = typeToken.line;
      std::string_view memberName;
      if (!expectIdentifier(memberName, "a member name")) {
        return false;
      }
      member.name = std::string(memberName);
      if (peek().is('[') && !parseArraySize(member.arraySize)) {
        return false;
      }
      if (!parseOptionalSemantic(member.semantic)) {
        return false;
      }
      if (!expectSymbol(';', "after the struct member")) {
        return false;
      }
      if (const StructDecl* inner = mEffect.findStruct(member.type)) {
        if (inner->depth + 1 > kMaxStructDepth) {
          return fail(member.line, "struct " + quoted(decl.name) + " nests structs more than " +
                                       std::to_string(kMaxStructDepth) + " deep");
        }
        decl.depth = std::max(decl.depth, inner->depth + 1);
      }
      decl.records = std::min<u64>(decl.records + recordCount(member.type, member.arraySize), kMaxValues + 1);
      if (decl.records > kMaxValues) {
        return fail(member.line, "struct " + quoted(decl.name) + " holds more than " + std::to_string(kMaxValues) +
                                     " parameter values");
      }
      decl.members.push_back(std::move(member));
    }
    take();  // '}'
    if (!expectSymbol(';', ("after struct " + quoted(decl.name)).c_str())) {
      return false;
    }
    mEffect.order.push_back({TopLevelItem::Kind::Struct, mEffect.structs.size()});
    mEffect.structs.push_back(std::move(decl));
    return true;
  }

  bool parseTechnique() {
    take();  // technique
    TechniqueDecl technique;
    std::string_view name;
    if (!expectIdentifier(name, "a technique name")) {
      return false;
    }
    technique.name = std::string(name);
    technique.line = mTokens[mAt - 1].line;
    const Token& open = peek();
    if (!expectSymbol('{', "after the technique name")) {
      return false;
    }
    while (!peek().is('}')) {
      const Token& token = peek();
      if (token.kind == TokenKind::End) {
        return fail(open, "unbalanced '{': technique " + quoted(technique.name) + " is not closed");
      }
      if (!token.isWord("pass")) {
        return fail(token, "expected 'pass' or '}' in technique " + quoted(technique.name) + ", found " + describeToken(token));
      }
      PassDecl pass;
      if (!parsePass(pass)) {
        return false;
      }
      technique.passes.push_back(std::move(pass));
    }
    take();  // '}'
    mEffect.techniques.push_back(std::move(technique));
    return true;
  }

  bool parsePass(PassDecl& pass) {
    const Token& keyword = take();
    pass.line = keyword.line;
    if (peek().kind == TokenKind::Identifier) {
      pass.name = std::string(take().text);
    }
    const Token& open = peek();
    if (!expectSymbol('{', "to open the pass")) {
      return false;
    }
    while (!peek().is('}')) {
      const Token& nameToken = take();
      if (nameToken.kind == TokenKind::End) {
        return fail(open, "unbalanced '{': pass " + quoted(pass.name) + " is not closed");
      }
      if (nameToken.kind != TokenKind::Identifier) {
        return fail(nameToken, "expected a state name, found " + describeToken(nameToken));
      }
      if (!expectSymbol('=', ("after state " + quoted(nameToken.text)).c_str())) {
        return false;
      }
      if (sameWord(nameToken.text, "VertexProgram") || sameWord(nameToken.text, "FragmentProgram")) {
        ProgramDecl program;
        program.stage = sameWord(nameToken.text, "VertexProgram") ? Stage::Vertex : Stage::Fragment;
        if (!parseProgram(program)) {
          return false;
        }
        (program.stage == Stage::Vertex ? pass.vertex : pass.fragment) = std::move(program);
      } else {
        StateAssignment assignment;
        if (!parseState(nameToken, assignment)) {
          return false;
        }
        pass.states.push_back(assignment);
      }
      if (!expectSymbol(';', ("after state " + quoted(nameToken.text)).c_str())) {
        return false;
      }
    }
    take();  // '}'
    return true;
  }

  bool parseProgram(ProgramDecl& program) {
    const Token& compile = take();
    program.line = compile.line;
    if (!compile.isWord("compile")) {
      return fail(compile, "expected 'compile PROFILE entry(...)', found " + describeToken(compile));
    }
    std::string_view profile;
    if (!expectIdentifier(profile, "a profile after 'compile'")) {
      return false;
    }
    const char* wanted = program.stage == Stage::Vertex ? "glslv" : "glslf";
    if (profile != wanted) {
      return fail(program.line, "unsupported profile " + quoted(profile) + " for a " +
                                    (program.stage == Stage::Vertex ? "vertex" : "fragment") + " program: use " + wanted);
    }
    program.profile = std::string(profile);
    std::string_view entry;
    if (!expectIdentifier(entry, "the entry function's name")) {
      return false;
    }
    program.entry = std::string(entry);
    const Token& open = peek();
    if (!expectSymbol('(', "after the entry function's name")) {
      return false;
    }
    if (!skipBalanced(open, nullptr)) {
      return false;
    }
    const std::size_t argumentsBegin = open.offset + 1;
    const std::size_t argumentsEnd = mTokens[mAt - 1].offset;
    program.arguments = std::string(mText.substr(argumentsBegin, argumentsEnd - argumentsBegin));
    return true;
  }

  // Reads `atom`, `ctor(atom, ...)` or `{atom, ...}`.
  bool parseStateValues(std::vector<Token>& atoms) {
    char close = 0;
    if (peek().is('{')) {
      take();
      close = '}';
    } else if (peek().kind == TokenKind::Identifier && peek(1).is('(')) {
      take();
      take();
      close = ')';
    }
    do {
      Token atom = take();
      if (atom.is('-') && peek().kind == TokenKind::Number) {
        const Token& number = take();
        atom.kind = TokenKind::Number;
        atom.text = mText.substr(atom.offset, number.offset + number.text.size() - atom.offset);
      }
      if (atom.kind != TokenKind::Identifier && atom.kind != TokenKind::Number) {
        return fail(atom, "expected a state value, found " + describeToken(atom));
      }
      atoms.push_back(atom);
    } while (close && peek().is(',') && (take(), true));
    return !close || expectSymbol(close, "to end the state value");
  }

  bool toBool(const Token& atom, const Token& state, u32& value) {
    if (sameWord(atom.text, "true") || atom.text == "1") {
      value = 1;
    } else if (sameWord(atom.text, "false") || atom.text == "0") {
      value = 0;
    } else {
      return fail(atom, "state " + quoted(state.text) + " takes true or false, found " + quoted(atom.text));
    }
    return true;
  }

  bool toEnum(const Token& atom, const Token& state, const StateRule& rule, u32& value) {
    for (std::size_t i = 0; i < rule.valueCount; ++i) {
      if (sameWord(atom.text, rule.values[i].name)) {
        value = rule.values[i].value;
        return true;
      }
    }
    return fail(atom, "unknown value " + quoted(atom.text) + " for state " + quoted(state.text));
  }

  bool parseState(const Token& nameToken, StateAssignment& assignment) {
    const StateRule* rule = nullptr;
    for (const StateRule& candidate : kStates) {
      if (sameWord(nameToken.text, candidate.name)) {
        rule = &candidate;
      }
    }
    if (!rule) {
      return fail(nameToken, "unknown state name " + quoted(nameToken.text));
    }
    assignment.id = rule->id;
    assignment.line = nameToken.line;
    std::vector<Token> atoms;
    if (!parseStateValues(atoms)) {
      return false;
    }
    const std::size_t wanted = rule->shape == ValueShape::FourBools                                          ? 4
                               : rule->shape == ValueShape::TwoEnums || rule->shape == ValueShape::EnumAndFloat ? 2
                                                                                                                : 1;
    if (atoms.size() != wanted) {
      return fail(nameToken, "state " + quoted(nameToken.text) + " takes " + std::to_string(wanted) + " value" +
                                 (wanted > 1 ? "s" : "") + ", found " + std::to_string(atoms.size()));
    }
    switch (rule->shape) {
      case ValueShape::Bool:
        return toBool(atoms[0], nameToken, assignment.values[0]);
      case ValueShape::Enum:
        // An equation serves colour and alpha alike: values 0 and 1.
        if (!toEnum(atoms[0], nameToken, *rule, assignment.values[0])) {
          return false;
        }
        assignment.values[1] = assignment.values[0];
        return true;
      case ValueShape::TwoEnums:
        // A factor pair serves colour (values 0, 1) and alpha (values 2, 3) alike.
        if (!toEnum(atoms[0], nameToken, *rule, assignment.values[0]) ||
            !toEnum(atoms[1], nameToken, *rule, assignment.values[1])) {
          return false;
        }
        assignment.values[2] = assignment.values[0];
        assignment.values[3] = assignment.values[1];
        return true;
      case ValueShape::EnumAndFloat: {
        if (!toEnum(atoms[0], nameToken, *rule, assignment.values[0])) {
          return false;
        }
        char* end = nullptr;
        const std::string digits(atoms[1].text);
        assignment.reference = std::strtof(digits.c_str(), &end);
        if (atoms[1].kind != TokenKind::Number || end == digits.c_str()) {
          return fail(atoms[1], "state " + quoted(nameToken.text) + " takes a number as its second value");
        }
        return true;
      }
      case ValueShape::FourBools:
        for (int i = 0; i < 4; ++i) {
          if (!toBool(atoms[i], nameToken, assignment.values[i])) {
            return false;
          }
        }
        return true;
    }
    return true;
  }

  bool checkEntries() {
    for (const TechniqueDecl& technique : mEffect.techniques) {
      for (const PassDecl& pass : technique.passes) {
        for (const std::optional<ProgramDecl>* program : {&pass.vertex, &pass.fragment}) {
          if (!*program) {
            continue;
          }
          bool found = false;
          for (const CodeItem& item : mEffect.code) {
            found = found || (item.kind == CodeItem::Kind::Function && item.definition && item.functionName == (*program)->entry);
          }
          if (!found) {
            return fail((*program)->line, "entry function " + quoted((*program)->entry) + " is not defined");
          }
        }
      }
    }
    return true;
  }

  static constexpr u64 kMaxValues = 65536;
  static constexpr int kMaxStructDepth = 16;

  std::string_view mText;
  std::vector<Token> mTokens;
  u64 mValueCount = 0;
  std::size_t mAt = 0;
  EffectDescription& mEffect;
  SourceError mError;
};

// GLSL 1.20 numbers the line after "#line N" as N + 1; later versions as N.
constexpr int kLineDirectiveOffset = 1;

void appendLine(std::string& source, int line) {
  source += "#line ";
  source += std::to_string(line - kLineDirectiveOffset);
  source += '\n';
}

void appendDeclarator(std::string& source, const std::string& type, const std::string& name, int arraySize,
                      const EffectDescription& effect) {
  const TypeInfo* info = findType(type);
  source += info ? info->glslName : effect.findStruct(type)->name;
  source += ' ';
  source += name;
  if (arraySize) {
    source += '[' + std::to_string(arraySize) + ']';
  }
  source += ';';
}

}  // namespace

const TypeInfo* findType(std::string_view name) {
  for (const TypeInfo& type : kTypes) {
    if (name == type.name) {
      return &type;
    }
  }
  return nullptr;
}

const StructDecl* EffectDescription::findStruct(std::string_view name) const {
  for (const StructDecl& decl : structs) {
    if (decl.name == name) {
      return &decl;
    }
  }
  return nullptr;
}

bool parseEffect(std::string_view text, EffectDescription& effect, SourceError& error) {
  effect = EffectDescription{};
  std::vector<Token> tokens;
  if (!tokenize(text, tokens, error)) {
    return false;
  }
  Parser parser(text, std::move(tokens), effect);
  return parser.parse(error);
}

std::string buildProgramSource(const EffectDescription& effect, const ProgramDecl& program) {
  // The functions the entry reaches: the only ones a stage may see, since the other
  // stage's functions use built-ins this one lacks.
  std::set<std::string> reached{program.entry};
  for (bool grew = true; grew;) {
    grew = false;
    for (const CodeItem& item : effect.code) {
      if (item.kind != CodeItem::Kind::Function || !reached.count(item.functionName)) {
        continue;
      }
      for (const std::string& name : item.references) {
        grew = reached.insert(name).second || grew;
      }
    }
  }

  bool usesRectangles = false;
  for (const ParameterDecl& parameter : effect.parameters) {
    usesRectangles = usesRectangles || findType(parameter.type) == findType("samplerRECT");
  }
  for (const StructDecl& decl : effect.structs) {
    for (const MemberDecl& member : decl.members) {
      usesRectangles = usesRectangles || findType(member.type) == findType("samplerRECT");
    }
  }

  std::string source = "#version 120\n";
  if (usesRectangles) {
    source += "#extension GL_ARB_texture_rectangle : enable\n";
  }
  const CodeItem* entry = nullptr;
  for (const TopLevelItem& item : effect.order) {
    switch (item.kind) {
      case TopLevelItem::Kind::Struct: {
        const StructDecl& decl = effect.structs[item.index];
        appendLine(source, decl.line);
        source += "struct " + decl.name + " {";
        for (const MemberDecl& member : decl.members) {
          source += ' ';
          appendDeclarator(source, member.type, member.name, member.arraySize, effect);
        }
        source += " };\n";
        break;
      }
      case TopLevelItem::Kind::Parameter: {
        const ParameterDecl& parameter = effect.parameters[item.index];
        appendLine(source, parameter.line);
        source += "uniform ";
        appendDeclarator(source, parameter.type, parameter.name, parameter.arraySize, effect);
        source += '\n';
        break;
      }
      case TopLevelItem::Kind::Code: {
        const CodeItem& code = effect.code[item.index];
        if (code.kind == CodeItem::Kind::Function && !reached.count(code.functionName)) {
          continue;
        }
        if (code.attribute && program.stage != Stage::Vertex) {
          continue;
        }
        if (code.kind == CodeItem::Kind::Function && code.definition && code.functionName == program.entry) {
          entry = &code;
        }
        appendLine(source, code.line);
        source += code.text;
        source += '\n';
        break;
      }
    }
  }
  if (program.entry == "main" && program.arguments.find_first_not_of(" \t\r\n") == std::string::npos) {
    return source;
  }
  appendLine(source, program.line);
  source += "void main() { ";
  if (entry && entry->returnType != "void") {
    source += program.stage == Stage::Vertex ? "gl_Position = " : "gl_FragColor = ";
  }
  source += program.entry + "(" + program.arguments + "); }\n";
  return source;
}

int lineFromDriverLog(std::string_view log) {
  // Both shapes are "string number, separator, line number, separator".
  for (std::size_t at = 0; at < log.size(); ++at) {
    if (!isDigit(static_cast<unsigned char>(log[at])) || (at > 0 && isIdentifierPart(static_cast<unsigned char>(log[at - 1])))) {
      continue;
    }
    std::size_t cursor = at;
    while (cursor < log.size() && isDigit(static_cast<unsigned char>(log[cursor]))) {
      ++cursor;
    }
    if (cursor >= log.size() || (log[cursor] != ':' && log[cursor] != '(')) {
      at = cursor;
      continue;
    }
    const char opener = log[cursor++];
    const std::size_t begin = cursor;
    while (cursor < log.size() && isDigit(static_cast<unsigned char>(log[cursor]))) {
      ++cursor;
    }
    const char wanted = opener == ':' ? '(' : ')';
    if (cursor > begin && cursor < log.size() && log[cursor] == wanted) {
      return std::atoi(std::string(log.substr(begin, cursor - begin)).c_str());
    }
    at = cursor;
  }
  return 0;
}

std::string listLines(std::string_view text, int line, int around) {
  std::string listing;
  int number = 1;
  std::size_t begin = 0;
  while (begin <= text.size() && number <= line + around) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    if (number >= line - around) {
      char prefix[24];
      std::snprintf(prefix, sizeof prefix, "%c %5d | ", number == line ? '>' : ' ', number);
      listing += prefix;
      listing += text.substr(begin, end - begin);
      listing += '\n';
    }
    if (end == text.size()) {
      break;
    }
    begin = end + 1;
    ++number;
  }
  return listing;
}

}  // namespace fx
