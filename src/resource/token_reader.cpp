// Tokenizing of the model and animation text formats, and their number reading.
// The file is read whole; tokens are views into it. Main thread.
#include "resource/token_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <fstream>
#include <limits>

#include "framework/shell_path.h"

namespace {

// Character classes by table: the scanners below run once per byte of files of
// many megabytes, and one load beats six comparisons.
enum : u8 { kOther = 0, kSpace = 1, kDelimiter = 2 };

constexpr std::array<u8, 256> makeClasses() {
  std::array<u8, 256> classes{};
  // The C locale's white space, which is what formatted string extraction skips.
  for (unsigned char c : {' ', '\t', '\n', '\r', '\v', '\f'}) classes[c] = kSpace;
  classes[static_cast<unsigned char>('(')] = kDelimiter;
  classes[static_cast<unsigned char>(')')] = kDelimiter;
  return classes;
}
constexpr std::array<u8, 256> kClasses = makeClasses();

bool isSpace(char c) { return kClasses[static_cast<unsigned char>(c)] == kSpace; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isDelimiter(char c) { return kClasses[static_cast<unsigned char>(c)] == kDelimiter; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

constexpr f64 kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common case, as model files write their numbers: a sign, at most 15 digits
// around one point and no exponent. Every digit fits the mantissa exactly and the
// power of ten is exact, so one division gives the float the general reading
// would. Leaves `p` where the digits end; false for any other form.
[[gnu::always_inline]] inline bool quickFloat(const char*& p, const char* end, f32& value) {
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  u64 digits = 0;
  const char* const pWhole = p;
  for (; p < end && isDigit(*p); ++p) digits = digits * 10 + static_cast<u64>(*p - '0');
  std::ptrdiff_t count = p - pWhole;
  std::ptrdiff_t fractionDigits = 0;
  if (p < end && *p == '.') {
    const char* const pFraction = ++p;
    for (; p < end && isDigit(*p); ++p) digits = digits * 10 + static_cast<u64>(*p - '0');
    fractionDigits = p - pFraction;
    count += fractionDigits;
  }
  if (count == 0 || count > 15 || (p < end && (*p == 'e' || *p == 'E'))) {
    return false;
  }
  const f32 single = static_cast<f32>(static_cast<f64>(digits) / kPowers[fractionDigits]);
  value = negative ? -single : single;
  return true;
}

// A sign and 1 to 9 digits: an integer that cannot reach the saturation.
[[gnu::always_inline]] inline bool quickInteger(const char*& p, const char* end, s32& value) {
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  const char* const pDigits = p;
  s32 digits = 0;
  for (; p < end && isDigit(*p) && p - pDigits < 9; ++p) digits = digits * 10 + (*p - '0');
  if (p == pDigits || (p < end && isDigit(*p))) {
    return false;
  }
  value = negative ? -digits : digits;
  return true;
}

}  // namespace

bool TokenReader::open(const std::string& path) {
  close();
  mFileName = path;
  const std::size_t separator = path.find_last_of("/\\");
  mDirectory = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
  std::ifstream stream(paths::hostPath(path), std::ios::binary);
  if (!stream.is_open()) {
    return false;
  }
  stream.seekg(0, std::ios::end);
  const std::streamoff size = stream.tellg();
  stream.seekg(0, std::ios::beg);
  if (size < 0) {
    return false;
  }
  mStorage.reset(new char[static_cast<std::size_t>(size) + 1]);
  stream.read(mStorage.get(), size);
  mText = std::string_view(mStorage.get(), static_cast<std::size_t>(stream.gcount()));
  if (mText.substr(0, 3) == "\xEF\xBB\xBF") {
    mPosition = 3;  // a UTF-8 byte-order mark, as some editors save text
  }
  mOpen = !stream.bad();
  return mOpen;
}

void TokenReader::close() {
  mStorage.reset();
  mText = std::string_view();
  mPosition = mPendingBegin = mPendingEnd = 0;
  mLine = mWordLine = 1;
  mLastDelimiter = 0;
  mOpen = false;
}

void TokenReader::skipSpace() {
  const char* const pText = mText.data();
  const std::size_t size = mText.size();
  std::size_t position = mPosition;
  u64 line = mLine;
  while (position < size && isSpace(pText[position])) {
    line += pText[position] == '\n';
    ++position;
  }
  mPosition = position;
  mLine = line;
}

std::string_view TokenReader::nextWord() {
  skipSpace();
  const std::size_t begin = mPosition;
  const char* const pText = mText.data();
  const std::size_t size = mText.size();
  std::size_t position = begin;
  while (position < size && !isSpace(pText[position])) ++position;
  mPosition = position;
  if (mPosition > begin) {
    mWordLine = mLine;  // the end of the input keeps the last word's line
  }
  return mText.substr(begin, mPosition - begin);
}

std::string_view TokenReader::nextToken() {
  const char* const pText = mText.data();
  const std::size_t begin = mPendingBegin;
  std::size_t end = begin;
  if (mPendingBegin == mPendingEnd) {
    // A new word (as nextWord reads it), scanned once: its end and its first
    // delimiter together.
    skipSpace();
    const std::size_t wordBegin = mPosition;
    const std::size_t size = mText.size();
    std::size_t position = wordBegin;
    std::size_t delimiter = std::string_view::npos;
    for (; position < size; ++position) {
      const u8 kind = kClasses[static_cast<unsigned char>(pText[position])];
      if (kind == kSpace) break;
      if (kind == kDelimiter && delimiter == std::string_view::npos) delimiter = position;
    }
    mPosition = position;
    if (position > wordBegin) {
      mWordLine = mLine;
    }
    mPendingBegin = wordBegin;
    mPendingEnd = position;
    return takePending(wordBegin, delimiter == std::string_view::npos ? position : delimiter);
  }
  while (end < mPendingEnd && !isDelimiter(pText[end])) ++end;
  return takePending(begin, end);
}

// Lambdas rather than function pointers, so that the number reading is inlined
// into the scan.
std::string_view TokenReader::nextToken(f32& value) {
  return nextValue(
      value, [](const char*& p, const char* end, f32& v) { return quickFloat(p, end, v); },
      [](std::string_view token) { return toFloat(token); });
}

std::string_view TokenReader::nextToken(s32& value) {
  return nextValue(
      value, [](const char*& p, const char* end, s32& v) { return quickInteger(p, end, v); },
      [](std::string_view token) { return toInteger(token); });
}

template <class Value, class Quick, class Full>
std::string_view TokenReader::nextValue(Value& value, Quick quick, Full full) {
  // Only a number that ends its token (at a space, a delimiter or the end of the
  // word) is taken here, leaving the reader exactly as nextToken() would.
  const char* const pText = mText.data();
  if (mPendingBegin == mPendingEnd) {
    skipSpace();
    const std::size_t begin = mPosition;
    const std::size_t size = mText.size();
    const char* pEnd = pText + begin;
    if (quick(pEnd, pText + size, value)) {
      const std::size_t end = static_cast<std::size_t>(pEnd - pText);
      const u8 kind = end < size ? kClasses[static_cast<unsigned char>(pText[end])] : u8{kSpace};
      if (kind != kOther) {
        std::size_t wordEnd = end;
        if (kind == kDelimiter) {
          while (wordEnd < size && !isSpace(pText[wordEnd])) ++wordEnd;
        }
        mPosition = wordEnd;
        mWordLine = mLine;
        mPendingBegin = begin;
        mPendingEnd = wordEnd;
        return takePending(begin, end);
      }
    }
  } else {
    const std::size_t begin = mPendingBegin;
    const char* pEnd = pText + begin;
    if (quick(pEnd, pText + mPendingEnd, value)) {
      const std::size_t end = static_cast<std::size_t>(pEnd - pText);
      if (end == mPendingEnd || isDelimiter(pText[end])) return takePending(begin, end);
    }
  }
  const std::string_view token = nextToken();
  value = full(token);
  return token;
}

std::string_view TokenReader::plainGroupKey() const {
  if (mPendingBegin != mPendingEnd) {
    return std::string_view();
  }
  const char* const pText = mText.data();
  const std::size_t size = mText.size();
  std::size_t position = mPosition;
  while (position < size && isBlank(pText[position])) ++position;
  const std::size_t begin = position;
  while (position < size && isLetter(pText[position])) ++position;
  if (position == begin || position == size || pText[position] != '(') {
    return std::string_view();
  }
  return mText.substr(begin, position - begin);
}

bool TokenReader::readPlainGroup(std::string_view key, std::vector<s32>& values, std::size_t expected) {
  return readPlainValues(key, values, expected,
                         [](const char*& p, const char* end, s32& v) { return quickInteger(p, end, v); });
}

bool TokenReader::readPlainGroup(std::string_view key, std::vector<f32>& values, std::size_t expected) {
  return readPlainValues(key, values, expected,
                         [](const char*& p, const char* end, f32& v) { return quickFloat(p, end, v); });
}

template <class Value, class Quick>
bool TokenReader::readPlainValues(std::string_view key, std::vector<Value>& values, std::size_t expected,
                                  Quick quick) {
  // The key is a view into the text from plainGroupKey(), so the group starts
  // right after it. A token the splitter would read differently (an empty one, a
  // number running into another character, a line break) ends the quick reading.
  values.clear();
  const char* const pText = mText.data();
  const char* const pEnd = pText + mText.size();
  const char* p = key.data() + key.size() + 1;
  for (;;) {
    while (p < pEnd && isBlank(*p)) ++p;
    Value value{};
    if (!quick(p, pEnd, value) || p == pEnd || !(isBlank(*p) || *p == ')') || values.size() == expected) {
      return false;
    }
    values.push_back(value);
    if (*p == ')') break;
  }
  ++p;
  if ((p < pEnd && !isSpace(*p)) || values.size() != expected) {
    return false;
  }
  mPosition = mPendingBegin = mPendingEnd = static_cast<std::size_t>(p - pText);
  mWordLine = mLine;
  mLastDelimiter = ')';
  return true;
}

bool TokenReader::readPlainNumbers(f32* pValues, std::size_t count) {
  if (mPendingBegin != mPendingEnd) {
    return false;
  }
  const char* const pText = mText.data();
  const char* const pEnd = pText + mText.size();
  const char* p = pText + mPosition;
  u64 line = mLine;
  for (std::size_t i = 0; i < count; ++i) {
    while (p < pEnd && isSpace(*p)) line += *p++ == '\n';
    if (!quickFloat(p, pEnd, pValues[i]) || (p < pEnd && !isSpace(*p))) {
      return false;
    }
  }
  mPosition = mPendingBegin = mPendingEnd = static_cast<std::size_t>(p - pText);
  mLine = mWordLine = line;
  mLastDelimiter = 0;
  return true;
}

std::string_view TokenReader::takePending(std::size_t begin, std::size_t end) {
  const std::string_view token = mText.substr(begin, end - begin);
  if (end < mPendingEnd) {
    mLastDelimiter = mText[end];
    mPendingBegin = end + 1;
  } else {
    mLastDelimiter = 0;
    mPendingBegin = mPendingEnd;
  }
  return token;
}

bool TokenReader::expectBrace() {
  const std::string_view token = nextToken();
  return token == "{" || token == "}";
}

std::string_view TokenReader::completeName(std::string_view token) {
  if (token.empty()) {
    return token;
  }
  if (token.front() == '"' && !(token.size() >= 2 && token.back() == '"' && mLastDelimiter == 0)) {
    // The quotes may enclose delimiters or spaces: look for the closing quote on
    // the same line.
    const std::size_t begin = static_cast<std::size_t>(token.data() - mText.data()) + 1;
    std::size_t close = begin;
    while (close < mText.size() && mText[close] != '"' && mText[close] != '\n' && mText[close] != '\r') ++close;
    if (close < mText.size() && mText[close] == '"') {
      // Continue after the quote as the splitter would: a delimiter right after it
      // is dropped and the rest of that word stays pending.
      std::size_t after = close + 1;
      mLastDelimiter = 0;
      if (after < mText.size() && isDelimiter(mText[after])) {
        mLastDelimiter = mText[after];
        ++after;
      }
      std::size_t wordEnd = after;
      while (wordEnd < mText.size() && !isSpace(mText[wordEnd])) ++wordEnd;
      if (mPosition < wordEnd) {
        for (std::size_t i = mPosition; i < close; ++i) {
          if (mText[i] == '\n') ++mLine;
        }
        mPosition = wordEnd;
      }
      mPendingBegin = after;
      mPendingEnd = wordEnd;
      return mText.substr(begin, close - begin);
    }
  }
  std::string_view name = token.substr(1);
  if (!name.empty() && name.back() == '"') name.remove_suffix(1);
  return name;
}

bool TokenReader::skipGroup() {
  if (mLastDelimiter != '(') {
    return true;
  }
  const u64 line = mWordLine;
  for (;;) {
    const std::string_view token = nextToken();
    if (mLastDelimiter == ')') return true;
    if ((token.empty() && atEnd()) || mWordLine != line) return false;
  }
}

bool TokenReader::skipBlock(int depth) {
  for (;;) {
    const std::string_view word = nextWord();
    if (word.empty()) return false;
    if (word == "{") ++depth;
    if (word == "}") --depth;
    if (depth <= 0) return true;
  }
}

bool TokenReader::takeBytes(std::size_t count, std::string_view& bytes) {
  if (mPendingBegin != mPendingEnd) {
    return false;
  }
  std::size_t begin = mPosition;
  if (begin < mText.size() && mText[begin] == '\r') ++begin;
  if (begin >= mText.size() || mText[begin] != '\n') {
    return false;
  }
  ++begin;
  if (count > mText.size() - begin) {
    return false;
  }
  bytes = mText.substr(begin, count);
  // Line breaks inside the bytes still count, so later lines are numbered as an
  // editor shows them.
  mLine += 1 + static_cast<u64>(std::count(bytes.begin(), bytes.end(), '\n'));
  mPosition = begin + count;
  return true;
}

bool TokenReader::atEnd() {
  if (mPendingBegin != mPendingEnd) {
    return false;
  }
  const u64 wordLine = mWordLine;
  skipSpace();
  mWordLine = wordLine;
  return mPosition >= mText.size();
}

s32 TokenReader::toInteger(std::string_view token) {
  std::size_t index = 0;
  bool negative = false;
  if (index < token.size() && (token[index] == '+' || token[index] == '-')) {
    negative = token[index] == '-';
    ++index;
  }
  s64 value = 0;
  for (; index < token.size() && isDigit(token[index]); ++index) {
    value = value * 10 + (token[index] - '0');
    if (value > std::numeric_limits<s32>::max()) {
      value = std::numeric_limits<s32>::max() + static_cast<s64>(negative);
      break;
    }
  }
  return static_cast<s32>(negative ? -value : value);
}

f32 TokenReader::toFloat(std::string_view token) {
  // Only a plain decimal number counts: no hexadecimal, infinity or NaN spellings.
  // The number is read as a double and stored as a float, as atof would.
  {
    const char* pQuick = token.data();
    f32 quick = 0.0f;
    if (quickFloat(pQuick, token.data() + token.size(), quick)) return quick;
  }
  std::size_t end = 0;
  const std::size_t size = token.size();
  bool negative = false;
  if (end < size && (token[end] == '+' || token[end] == '-')) {
    negative = token[end] == '-';
    ++end;
  }
  const std::size_t numberStart = end;
  u64 mantissa = 0;
  int significant = 0;
  int scale = 0;  // power of ten to apply to the mantissa
  bool digits = false;
  auto takeDigit = [&](char c, bool fraction) {
    digits = true;
    if (significant < 19) {
      if (mantissa != 0 || c != '0') ++significant;
      mantissa = mantissa * 10 + static_cast<u64>(c - '0');
      if (fraction) --scale;
    } else if (!fraction) {
      ++scale;
    }
  };
  while (end < size && isDigit(token[end])) takeDigit(token[end++], false);
  if (end < size && token[end] == '.') {
    ++end;
    while (end < size && isDigit(token[end])) takeDigit(token[end++], true);
  }
  if (!digits) {
    return 0.0f;
  }
  int exponent = 0;
  if (end < size && (token[end] == 'e' || token[end] == 'E')) {
    std::size_t index = end + 1;
    bool exponentNegative = false;
    if (index < size && (token[index] == '+' || token[index] == '-')) {
      exponentNegative = token[index] == '-';
      ++index;
    }
    if (index < size && isDigit(token[index])) {
      for (; index < size && isDigit(token[index]); ++index) {
        if (exponent < 100000) exponent = exponent * 10 + (token[index] - '0');
      }
      if (exponentNegative) exponent = -exponent;
      end = index;
    }
  }
  const int power = scale + exponent;
  f64 value = 0.0;
  if (significant <= 15 && power >= -22 && power <= 22) {
    // Both the mantissa and the power of ten are exact doubles: one rounding.
    value = power < 0 ? static_cast<f64>(mantissa) / kPowers[-power] : static_cast<f64>(mantissa) * kPowers[power];
  } else {
    const std::from_chars_result result = std::from_chars(token.data() + numberStart, token.data() + end, value);
    if (result.ec == std::errc::result_out_of_range) {
      // Beyond the double range: a negative exponent underflows to 0, anything
      // else overflows to infinity, as strtod would give.
      value = power < 0 ? 0.0 : std::numeric_limits<f64>::infinity();
    }
  }
  const f32 single = value > std::numeric_limits<f32>::max() ? std::numeric_limits<f32>::infinity()
                                                            : static_cast<f32>(value);
  return negative ? -single : single;
}

bool TokenReader::isNumber(std::string_view token) {
  std::size_t index = 0;
  if (index < token.size() && (token[index] == '+' || token[index] == '-')) ++index;
  if (index < token.size() && token[index] == '.') ++index;
  return index < token.size() && isDigit(token[index]);
}
