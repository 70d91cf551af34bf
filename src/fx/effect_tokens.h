// The effect-file tokenizer: splits effect text into identifiers, numbers,
// strings, symbols and preprocessor lines, each with the line it starts on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fx/effect_source.h"

namespace fx {

enum class TokenKind { End, Identifier, Number, String, Symbol, Directive };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string_view text;
  int line = 1;
  std::size_t offset = 0;

  bool is(char symbol) const { return kind == TokenKind::Symbol && text.size() == 1 && text[0] == symbol; }
  bool isWord(std::string_view word) const { return kind == TokenKind::Identifier && text == word; }
};

inline bool isIdentifierStart(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
inline bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool isIdentifierPart(unsigned char c) { return isIdentifierStart(c) || isDigit(c); }

// Appends the tokens of the text, then an End token; false, with the line and
// the problem in the error, at a byte no token may start with or an unclosed
// comment or string.
bool tokenize(std::string_view text, std::vector<Token>& tokens, SourceError& error);

// A token as an error message names it.
std::string quoted(std::string_view text);
std::string describeToken(const Token& token);

}  // namespace fx
