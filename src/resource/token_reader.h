// TokenReader: the word-and-parenthesis tokenizer shared by the model and the
// animation readers. A token ends at "(", ")" or white space. The whole file is held
// in memory and tokens are views into it, so reading allocates nothing per token.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/types.h"

class TokenReader {
 public:
  TokenReader() = default;
  virtual ~TokenReader() = default;
  TokenReader(const TokenReader&) = delete;
  TokenReader& operator=(const TokenReader&) = delete;

  // Stores the file name and its directory and reads the file; false when it
  // cannot be read.
  bool open(const std::string& path);
  // Frees the text; tokens handed out before become invalid.
  void close();
  bool isOpen() const { return mOpen; }

  // The next token, valid until close(); empty at the end of the input and for a
  // word that begins with a delimiter (atEnd() tells the two apart).
  std::string_view nextToken();
  // nextToken() and the token's value as toFloat / toInteger give it, taken in the
  // same scan for the plain numbers that make up most of a model.
  std::string_view nextToken(f32& value);
  std::string_view nextToken(s32& value);
  // The next white-space separated word, bypassing the token splitter (what is
  // left of the current word stays pending).
  std::string_view nextWord();
  // The groups of numbers that fill a model's face lines, read straight from the
  // text when they have the plain form writers give them: between two words, the
  // key on the current line after spaces or tabs, "(", numbers (as the quick
  // readings take them) separated by spaces or tabs, ")" ending the word.
  // plainGroupKey() is the next word's key when it starts such a group (empty
  // otherwise), consuming nothing. readPlainGroup() then reads the group of that
  // key into `values`; when it has the plain form and exactly `expected` numbers,
  // the reader is left as nextToken() leaves it after the group's last token and the
  // result is true. Otherwise it is false, nothing is consumed and `values` holds
  // what was met so far; the token-by-token reading then takes the group.
  std::string_view plainGroupKey() const;
  bool readPlainGroup(std::string_view key, std::vector<s32>& values, std::size_t expected);
  bool readPlainGroup(std::string_view key, std::vector<f32>& values, std::size_t expected);
  // The same for a run of `count` numbers that are whole words (a vertex line):
  // true, and read as nextToken() would read them, when each has the quick form;
  // otherwise false, consuming nothing.
  bool readPlainNumbers(f32* pValues, std::size_t count);
  // Reads one token that should be "{" or "}"; returns whether it was one.
  bool expectBrace();
  // A quoted name: the token after stripping its first character and one trailing
  // double quote. A name whose quotes enclose white space or parentheses (Shift-JIS
  // object names with spaces) is taken whole up to its closing quote on that line.
  std::string_view nextName() { return completeName(nextToken()); }
  // The same for a token already read.
  std::string_view completeName(std::string_view token);
  // Skips the rest of a "key(...)" group whose key has just been read; false when
  // the line ends first.
  bool skipGroup();
  // Skips a brace block by raw words, the opening "{" being the first word read
  // (or, with depth 1, already read). False when the input ends first.
  bool skipBlock(int depth = 0);

  // Raw bytes inside a text file (the binary chunks of newer writers): after a word
  // that ended the line, one line break (LF or CR LF) and then exactly `count`
  // bytes. False, consuming nothing, when a token is pending, the line break is
  // missing or fewer bytes remain.
  bool takeBytes(std::size_t count, std::string_view& bytes);
  // Byte offset of the next character to read, for messages about binary data.
  std::size_t getOffset() const { return mPosition; }

  // True when no token is pending and only white space remains.
  bool atEnd();
  // The delimiter that ended the last token: '(', ')' or 0 (end of the word).
  char lastDelimiter() const { return mLastDelimiter; }

  const std::string& getFileName() const { return mFileName; }
  const std::string& getDirectory() const { return mDirectory; }
  // The line of the last word read, for messages.
  u64 getLineNumber() const { return mWordLine; }
  // Bytes not yet read; bounds what a declared count can really hold.
  std::size_t remainingBytes() const { return mText.size() - mPosition; }

  // Number conversions of the text formats: the leading decimal part of a token,
  // 0 when there is none. Integers saturate at the 32-bit range.
  static s32 toInteger(std::string_view token);
  static f32 toFloat(std::string_view token);
  static bool isNumber(std::string_view token);

 protected:
  std::string mFileName;
  std::string mDirectory;

 private:
  void skipSpace();
  // The token [begin, end) of the pending word; what follows its delimiter stays pending.
  std::string_view takePending(std::size_t begin, std::size_t end);
  // The valued nextToken: `quick` reads a plain number from a pointer up to a limit
  // (false for any other form), `full` converts a token the general way.
  template <class Value, class Quick, class Full>
  std::string_view nextValue(Value& value, Quick quick, Full full);
  template <class Value, class Quick>
  bool readPlainValues(std::string_view key, std::vector<Value>& values, std::size_t expected, Quick quick);

  std::unique_ptr<char[]> mStorage;  // the file, not zero-filled before reading
  std::string_view mText;
  std::size_t mPosition = 0;
  std::size_t mPendingBegin = 0;  // the rest of the current word: [begin, end)
  std::size_t mPendingEnd = 0;
  u64 mLine = 1;
  u64 mWordLine = 1;
  char mLastDelimiter = 0;
  bool mOpen = false;
};
