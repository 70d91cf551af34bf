// ByteReader: a cursor over bytes held in memory that never reads past their end;
// every image reader goes through it so a short or forged file cannot over-read.
// Does not: own the bytes.
#pragma once

#include <cstddef>
#include <cstring>

#include "framework/types.h"

class ByteReader {
 public:
  ByteReader(const u8* pData, std::size_t size) : mpData(pData), mSize(pData ? size : 0) {}

  std::size_t offset() const { return mOffset; }
  std::size_t remaining() const { return mSize - mOffset; }
  const u8* current() const { return mpData + mOffset; }

  // Copies count bytes and advances; false (nothing consumed) when fewer remain.
  bool read(void* pOut, std::size_t count) {
    if (count > remaining()) return false;
    std::memcpy(pOut, mpData + mOffset, count);
    mOffset += count;
    return true;
  }
  bool readByte(u8& value) {
    if (mOffset >= mSize) return false;
    value = mpData[mOffset++];
    return true;
  }
  bool peekByte(u8& value) const {
    if (mOffset >= mSize) return false;
    value = mpData[mOffset];
    return true;
  }
  bool skip(std::size_t count) {
    if (count > remaining()) return false;
    mOffset += count;
    return true;
  }

  // The stdio fgets rule: at most capacity - 1 bytes, up to and including a line
  // feed, then a terminator. False at the end of the data, as fgets returns null.
  bool readLine(char* pBuffer, std::size_t capacity, std::size_t& length) {
    length = 0;
    if (capacity < 2 || mOffset >= mSize) return false;
    while (length + 1 < capacity && mOffset < mSize) {
      const char c = static_cast<char>(mpData[mOffset++]);
      pBuffer[length++] = c;
      if (c == '\n') break;
    }
    pBuffer[length] = '\0';
    return true;
  }

 private:
  const u8* mpData;
  std::size_t mSize;
  std::size_t mOffset = 0;
};
