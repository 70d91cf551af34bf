// The effect-file tokenizer. Every loop consumes a byte, so damaged input ends
// in an error, never in a hang.
#include "fx/effect_tokens.h"

#include <cstdio>

namespace fx {

namespace {

std::string describeByte(unsigned char c) {
  char buffer[48];
  if (c >= 0x21 && c < 0x7F) {
    std::snprintf(buffer, sizeof buffer, "unexpected character '%c'", c);
  } else {
    std::snprintf(buffer, sizeof buffer, "unexpected byte 0x%02X (not effect text)", c);
  }
  return buffer;
}

}  // namespace

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

}  // namespace fx
