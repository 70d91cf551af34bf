// The effect-file parser: parameters, structs, GLSL code, techniques with
// passes and render states. Every error names the line it was found on; every
// loop consumes a token, so damaged input ends in an error, never in a hang.
#include "fx/effect_source.h"

#include <algorithm>
#include <cstdlib>

#include "fx/effect_names.h"
#include "fx/effect_tokens.h"

namespace fx {

namespace {

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

}  // namespace

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

}  // namespace fx
