// TokenReader: the word-and-parenthesis tokenizer shared by the model and the
// animation readers. A token ends at "(", ")" or a blank; words come from the file.
// Main thread only.
#pragma once

#include <fstream>
#include <string>

#include "framework/types.h"

class TokenReader {
 public:
  TokenReader() = default;
  virtual ~TokenReader() = default;

  // Stores the file name and its directory, and opens the file.
  bool open(const std::string& path);
  void close();

  // The next token; empty at the end of the input (and for a word that begins
  // with a delimiter). atEnd() tells the two apart.
  std::string nextToken();
  // The next whitespace-separated word, bypassing the token splitter.
  std::string nextWord();
  // Reads one token that should be "{" or "}"; anything is accepted, as files
  // have always been read, but a wrong one is remembered for the error report.
  void expectBrace();
  bool atEnd() const;

  const std::string& getFileName() const { return mFileName; }
  const std::string& getDirectory() const { return mDirectory; }
  // Where the input stands, for messages.
  u64 getLineNumber() const { return mLineNumber; }

  // Number conversions of the text formats: the leading decimal part of a token,
  // 0 when there is none.
  static s32 toInteger(const std::string& token);
  static f32 toFloat(const std::string& token);

 protected:
  std::string mFileName;
  std::string mDirectory;

 private:
  std::ifstream mStream;
  std::string mLineBuffer;
  u64 mLineNumber = 1;
};
