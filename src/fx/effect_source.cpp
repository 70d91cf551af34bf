// The GLSL source builder of effect programs, and the reading of driver logs
// against the effect text.
#include "fx/effect_source.h"

#include <cstdio>
#include <set>

#include "fx/effect_names.h"
#include "fx/effect_tokens.h"

namespace fx {

namespace {

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
