// Our RIFF reader for WAVE files, from a file or a block of memory: descends into
// a form, finds chunks by id with their size and start, and reads bytes.
// Does not: write, or interpret chunk contents. Used by one thread at a time.
#pragma once

#include <cstdio>
#include <string>

#include "framework/types.h"

class RiffReader {
 public:
  struct Chunk {
    char id[5] = {};   // four characters and a terminator, for messages
    u32 size = 0;      // bytes of content, without the pad byte
    u64 start = 0;     // offset of the content in the source
  };

  RiffReader() = default;
  ~RiffReader() { close(); }
  RiffReader(const RiffReader&) = delete;
  RiffReader& operator=(const RiffReader&) = delete;

  // `name` is used in messages only; `hostPath` is opened.
  bool openFile(const std::string& name, const std::string& hostPath);
  // The block is borrowed and must outlive the reader.
  bool openMemory(const std::string& name, const u8* pMemory, u64 size);
  void close();
  bool isOpen() const { return mpFile != nullptr || mpMemory != nullptr; }
  u64 getSourceSize() const { return mSourceSize; }

  // Checks the "RIFF" header and its form type; the form's content ends at the
  // smaller of its declared end and the end of the source.
  bool descendForm(const char* formType, Chunk& form);
  // Finds the first sub-chunk `id` in `parent`; its content must lie wholly
  // inside the source.
  bool descendChunk(const Chunk& parent, const char* id, Chunk& chunk);

  // Reads up to `size` bytes at the current offset; returns how many it got.
  u64 read(void* pDestination, u64 size);
  bool seek(u64 offset);
  u64 tell() const { return mPosition; }

  // What went wrong last, naming the source ("data/x.wav: no \"data\" chunk").
  const std::string& getError() const { return mError; }

 private:
  bool fail(const std::string& problem);
  u64 readAt(u64 offset, void* pDestination, u64 size);

  std::string mName;
  std::FILE* mpFile = nullptr;       // owned
  const u8* mpMemory = nullptr;      // borrowed
  u64 mSourceSize = 0;
  u64 mPosition = 0;
  std::string mError;
};
