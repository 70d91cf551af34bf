// Tokenizing of the model and animation text formats.
#include "resource/token_reader.h"

#include <cctype>
#include <cstdlib>

#include "platform/shell_path.h"

bool TokenReader::open(const std::string& path) {
  close();
  mFileName = path;
  const std::size_t separator = path.find_last_of("/\\");
  mDirectory = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
  mLineBuffer.clear();
  mLineNumber = 1;
  mStream.open(platform::hostPath(path), std::ios::binary);
  return mStream.is_open();
}

void TokenReader::close() {
  if (mStream.is_open()) {
    mStream.close();
  }
  mStream.clear();
}

std::string TokenReader::nextWord() {
  std::string word;
  if (!mStream.is_open()) {
    return word;
  }
  int c = mStream.get();
  while (c != EOF && std::isspace(static_cast<unsigned char>(c))) {
    if (c == '\n') ++mLineNumber;
    c = mStream.get();
  }
  while (c != EOF && !std::isspace(static_cast<unsigned char>(c))) {
    word.push_back(static_cast<char>(c));
    c = mStream.get();
  }
  if (c == '\n') {
    ++mLineNumber;
  }
  return word;
}

std::string TokenReader::nextToken() {
  if (mLineBuffer.empty()) {
    mLineBuffer = nextWord();
  }
  const std::size_t delimiter = mLineBuffer.find_first_of("() \t");
  std::string token;
  if (delimiter == std::string::npos) {
    token.swap(mLineBuffer);
  } else {
    token = mLineBuffer.substr(0, delimiter);
    mLineBuffer.erase(0, delimiter + 1);
  }
  return token;
}

void TokenReader::expectBrace() { nextToken(); }

bool TokenReader::atEnd() const { return mLineBuffer.empty() && (!mStream.is_open() || mStream.eof()); }

s32 TokenReader::toInteger(const std::string& token) {
  return static_cast<s32>(std::strtol(token.c_str(), nullptr, 10));
}

f32 TokenReader::toFloat(const std::string& token) {
  // Only a plain decimal number counts: no hexadecimal, infinity or NaN spellings.
  std::size_t end = 0;
  const std::size_t size = token.size();
  if (end < size && (token[end] == '+' || token[end] == '-')) ++end;
  const std::size_t digitsStart = end;
  while (end < size && std::isdigit(static_cast<unsigned char>(token[end]))) ++end;
  bool digits = end > digitsStart;
  if (end < size && token[end] == '.') {
    ++end;
    const std::size_t fractionStart = end;
    while (end < size && std::isdigit(static_cast<unsigned char>(token[end]))) ++end;
    digits = digits || end > fractionStart;
  }
  if (!digits) {
    return 0.0f;
  }
  if (end < size && (token[end] == 'e' || token[end] == 'E')) {
    std::size_t exponent = end + 1;
    if (exponent < size && (token[exponent] == '+' || token[exponent] == '-')) ++exponent;
    if (exponent < size && std::isdigit(static_cast<unsigned char>(token[exponent]))) {
      while (exponent < size && std::isdigit(static_cast<unsigned char>(token[exponent]))) ++exponent;
      end = exponent;
    }
  }
  return std::strtof(token.substr(0, end).c_str(), nullptr);
}
