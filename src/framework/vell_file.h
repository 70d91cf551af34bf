// VellFile, a read-only byte-mode wrapper over one stdio handle, and VellFileStream,
// the object every resource loader reads through. Data paths are Windows style;
// open() maps them onto the host. Main thread only.
#pragma once

#include <cstdio>
#include <string>

#include "framework/types.h"
#include "framework/vell_object.h"

class VellFile : public VellObject {
  VELL_CLASS(VellFile, VellObject)
 public:
  VellFile() = default;
  // Frees the strings only: the handle is closed by the stream (or close()).
  ~VellFile() override = default;

  bool open(const char* path);
  void close();

  virtual u64 read(void* pBuffer, u64 size);
  virtual u64 write(const void* pBuffer, u64 size);
  virtual s32 seek(s64 offset, u8 origin);
  virtual const std::string& getPath() const;
  virtual const std::string& getExtension() const;
  virtual s32 getChar();
  virtual s32 putChar(s32 character);
  virtual char* getLine(char* pBuffer, s32 capacity);
  virtual bool isError() const;
  virtual bool isNotEOF() const;

  FILE* mFp = nullptr;
  u32 mSize = 0;

 private:
  std::string mPath;
  std::string mExtension;
};

class VellFileStream : public VellObject {
  VELL_CLASS(VellFileStream, VellObject)
 public:
  // Stream origins, numbered differently from stdio's.
  static constexpr u8 SEEK_FROM_CURRENT = 0;
  static constexpr u8 SEEK_FROM_BEGIN = 1;
  static constexpr u8 SEEK_FROM_END = 2;

  VellFileStream() = default;
  explicit VellFileStream(VellFile* pFile) : mpFile(pFile) {}
  // Closes the file (it does not delete the VellFile object).
  ~VellFileStream() override;

  virtual u64 read(void* pBuffer, u64 size);
  virtual u64 write(const void* pBuffer, u64 size);
  virtual bool isOpen() const;
  virtual bool isValid() const;
  virtual u64 getSize() const;
  virtual const std::string& getPath() const;
  virtual const std::string& getExtension() const;
  virtual s32 getChar();
  virtual s32 putChar(s32 character);
  virtual char* getLine(char* pBuffer, s32 capacity);
  virtual bool isError() const;
  virtual bool isNotEOF() const;
  virtual s32 seek(s64 offset, u8 origin);

  VellFile* mpFile = nullptr;  // borrowed
};
