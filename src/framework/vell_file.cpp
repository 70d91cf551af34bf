// File access for the resource loaders: every operation on a closed file, or on a
// stream without one, is a fatal check, never a silent failure.
#include "framework/vell_file.h"

#include "framework/critical_check.h"
#include "framework/shell_path.h"

bool VellFile::open(const char* path) {
  if (mFp) {
    close();
  }
  const std::string host = paths::hostPath(path ? path : "");
  FILE* fp = std::fopen(host.c_str(), "rb");
  if (!fp) {
    return false;
  }
  mFp = fp;
  mPath = path;
  std::fseek(mFp, 0, SEEK_END);
  const long size = std::ftell(mFp);
  std::fseek(mFp, 0, SEEK_SET);
  mSize = size > 0 ? static_cast<u32>(size) : 0;
  mExtension = paths::pathExtension(mPath);
  return true;
}

void VellFile::close() {
  if (mFp) {
    std::fclose(mFp);
  }
  mFp = nullptr;
  mSize = 0;
  mPath.clear();
  mExtension.clear();
}

u64 VellFile::read(void* pBuffer, u64 size) {
  CRITICAL_CHECK(mFp, "file pointer is not available");
  return std::fread(pBuffer, 1, static_cast<u32>(size), mFp);
}

u64 VellFile::write(const void* pBuffer, u64 size) {
  CRITICAL_CHECK(mFp, "file pointer is not available");
  return std::fwrite(pBuffer, 1, static_cast<u32>(size), mFp);
}

s32 VellFile::seek(s64 offset, u8 origin) {
  CRITICAL_CHECK(mFp, "file pointer is not available");
  return std::fseek(mFp, static_cast<long>(static_cast<s32>(offset)), origin);
}

const std::string& VellFile::getPath() const {
  CRITICAL_CHECK(mFp, "file pointer is not available");
  return mPath;
}

const std::string& VellFile::getExtension() const {
  CRITICAL_CHECK(mFp, "file pointer is not available");
  return mExtension;
}

s32 VellFile::getChar() {
  CRITICAL_CHECK(mFp, "file pointer is not available");
  return std::fgetc(mFp);
}

s32 VellFile::putChar(s32 character) {
  CRITICAL_CHECK(mFp, "file pointer is not available");
  return std::fputc(character, mFp);
}

char* VellFile::getLine(char* pBuffer, s32 capacity) {
  CRITICAL_CHECK(mFp, "file pointer is not available");
  return std::fgets(pBuffer, capacity, mFp);
}

bool VellFile::isError() const {
  CRITICAL_CHECK(mFp, "file pointer is not available");
  return std::ferror(mFp) != 0;
}

bool VellFile::isNotEOF() const {
  CRITICAL_CHECK(mFp, "file pointer is not available");
  return std::feof(mFp) == 0;
}

VellFileStream::~VellFileStream() {
  if (mpFile) {
    mpFile->close();
  }
}

u64 VellFileStream::read(void* pBuffer, u64 size) {
  CRITICAL_CHECK(mpFile, "VellFile is not available.");
  return mpFile->read(pBuffer, size);
}

u64 VellFileStream::write(const void* pBuffer, u64 size) {
  CRITICAL_CHECK(mpFile, "VellFile is not available.");
  return mpFile->write(pBuffer, size);
}

bool VellFileStream::isOpen() const { return mpFile && mpFile->mFp; }

bool VellFileStream::isValid() const { return isOpen(); }

u64 VellFileStream::getSize() const {
  CRITICAL_CHECK(mpFile, "VellFile is not available.");
  const FILE* mFp = mpFile->mFp;
  CRITICAL_CHECK(mFp, "file pointer is not available");
  return mpFile->mSize;
}

const std::string& VellFileStream::getPath() const {
  CRITICAL_CHECK(mpFile, "file pointer is not available");
  return mpFile->getPath();
}

const std::string& VellFileStream::getExtension() const {
  CRITICAL_CHECK(mpFile, "VellFile is not available.");
  return mpFile->getExtension();
}

s32 VellFileStream::getChar() {
  CRITICAL_CHECK(mpFile, "VellFile is not available.");
  return mpFile->getChar();
}

s32 VellFileStream::putChar(s32 character) {
  CRITICAL_CHECK(mpFile, "VellFile is not available.");
  return mpFile->putChar(character);
}

char* VellFileStream::getLine(char* pBuffer, s32 capacity) {
  CRITICAL_CHECK(mpFile, "VellFile is not available.");
  return mpFile->getLine(pBuffer, capacity);
}

bool VellFileStream::isError() const {
  CRITICAL_CHECK(mpFile, "VellFile is not available.");
  return mpFile->isError();
}

bool VellFileStream::isNotEOF() const {
  CRITICAL_CHECK(mpFile, "VellFile is not available.");
  return mpFile->isNotEOF();
}

s32 VellFileStream::seek(s64 offset, u8 origin) {
  CRITICAL_CHECK(mpFile, "VellFile is not available.");
  u8 fileOrigin = SEEK_SET;
  switch (origin) {
    case SEEK_FROM_CURRENT:
      fileOrigin = SEEK_CUR;
      break;
    case SEEK_FROM_BEGIN:
      fileOrigin = SEEK_SET;
      break;
    case SEEK_FROM_END:
      fileOrigin = SEEK_END;
      break;
    default:
      CRITICAL_CHECK(0, "default assert.");
  }
  return mpFile->seek(offset, fileOrigin);
}
