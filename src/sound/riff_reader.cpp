// RIFF chunk walking over a file or a memory block. Every size read from the
// data is checked against the source before it is trusted, so a damaged file
// ends in an error message, never an over-read or an endless scan.
#include "sound/riff_reader.h"

#include <algorithm>
#include <cstring>

namespace {

u32 readLittle32(const u8* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<u32>(p[3]) << 24); }

}  // namespace

bool RiffReader::openFile(const std::string& name, const std::string& hostPath) {
  close();
  mName = name;
  mpFile = std::fopen(hostPath.c_str(), "rb");
  if (!mpFile) return fail("cannot be opened");
  if (std::fseek(mpFile, 0, SEEK_END) != 0) return fail("cannot be read");
  long size = std::ftell(mpFile);
  if (size < 0) return fail("cannot be read");
  mSourceSize = static_cast<u64>(size);
  return true;
}

bool RiffReader::openMemory(const std::string& name, const u8* pMemory, u64 size) {
  close();
  mName = name;
  if (!pMemory) return fail("no memory block given");
  mpMemory = pMemory;
  mSourceSize = size;
  return true;
}

void RiffReader::close() {
  if (mpFile) std::fclose(mpFile);
  mpFile = nullptr;
  mpMemory = nullptr;
  mSourceSize = 0;
  mPosition = 0;
}

bool RiffReader::fail(const std::string& problem) {
  mError = mName + ": " + problem;
  return false;
}

u64 RiffReader::readAt(u64 offset, void* pDestination, u64 size) {
  if (offset >= mSourceSize) return 0;
  size = std::min(size, mSourceSize - offset);
  if (mpMemory) {
    std::memcpy(pDestination, mpMemory + offset, size);
    return size;
  }
  if (!mpFile || std::fseek(mpFile, static_cast<long>(offset), SEEK_SET) != 0) return 0;
  return std::fread(pDestination, 1, size, mpFile);
}

bool RiffReader::descendForm(const char* formType, Chunk& form) {
  if (!isOpen()) return fail("not open");
  if (mSourceSize == 0) return fail("is empty");
  u8 header[12];
  if (readAt(0, header, 12) != 12) return fail("too short for a RIFF header (" + std::to_string(mSourceSize) + " bytes)");
  if (std::memcmp(header, "RIFF", 4) != 0) return fail("not a RIFF file");
  if (std::memcmp(header + 8, formType, 4) != 0) {
    return fail("RIFF form is '" + std::string(reinterpret_cast<char*>(header + 8), 4) + "', not '" + formType + "'");
  }
  std::memcpy(form.id, "RIFF", 5);
  form.start = 12;
  u64 declaredEnd = 8 + static_cast<u64>(readLittle32(header + 4));
  form.size = static_cast<u32>(std::min(declaredEnd, mSourceSize) - 12);
  mPosition = 12;
  return true;
}

bool RiffReader::descendChunk(const Chunk& parent, const char* id, Chunk& chunk) {
  u64 end = std::min(parent.start + parent.size, mSourceSize);
  u64 offset = parent.start;
  // Each step moves on by at least the 8-byte header, so the scan always ends.
  while (offset + 8 <= end) {
    u8 header[8];
    if (readAt(offset, header, 8) != 8) return fail("cannot be read at offset " + std::to_string(offset));
    u32 size = readLittle32(header + 4);
    if (std::memcmp(header, id, 4) == 0) {
      u64 start = offset + 8;
      if (start + size > mSourceSize) {
        return fail(std::string("\"") + id + "\" chunk of " + std::to_string(size) + " bytes at offset " +
                    std::to_string(start) + " runs past the end of the file (" +
                    std::to_string(mSourceSize - start) + " bytes left)");
      }
      std::memcpy(chunk.id, id, 4);
      chunk.id[4] = 0;
      chunk.size = size;
      chunk.start = start;
      mPosition = start;
      return true;
    }
    offset += 8 + static_cast<u64>(size) + (size & 1u);  // content is padded to an even length
  }
  return fail(std::string("no \"") + id + "\" chunk");
}

u64 RiffReader::read(void* pDestination, u64 size) {
  u64 got = readAt(mPosition, pDestination, size);
  mPosition += got;
  return got;
}

bool RiffReader::seek(u64 offset) {
  if (!isOpen()) return false;
  mPosition = offset;
  return true;
}
