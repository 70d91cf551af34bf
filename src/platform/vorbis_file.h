// A thin handle over one libvorbisfile stream, so that the Ogg Vorbis decoder in
// sound/ never sees vorbis headers. Owns the stream state; not thread-safe: the
// decoder that owns it serialises every call (any one thread at a time).
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

#include "framework/types.h"

namespace platform {

// The four data-source callbacks of a stream read from memory, with the
// library's own signatures (offsets are 64-bit, origins are stdio's 0/1/2).
struct VorbisCallbacks {
  std::size_t (*read)(void* buffer, std::size_t size, std::size_t count, void* source);
  int (*seek)(void* source, s64 offset, int origin);
  int (*close)(void* source);
  long (*tell)(void* source);
};

class VorbisFile {
 public:
  VorbisFile();
  ~VorbisFile();
  VorbisFile(const VorbisFile&) = delete;
  VorbisFile& operator=(const VorbisFile&) = delete;

  // ov_open over an open stdio file. On success the stream owns the file and
  // closes it in clear(); on failure the caller still owns it. Returns the
  // library's result (0, or a negative OV_ code).
  int openFile(std::FILE* file);
  // ov_open_callbacks with `source` handed back to every callback.
  int openCallbacks(void* source, const VorbisCallbacks& callbacks);
  bool isOpen() const { return mOpen; }

  // Channels and rate of the whole stream (ov_info with link -1); false when closed.
  bool info(int& channels, long& rate);
  // Total play time in seconds (ov_time_total with link -1); negative on error.
  double timeTotal();
  // ov_read into 16-bit signed little-endian words: bytes delivered, 0 at the
  // end, negative on a decode error.
  long read(char* buffer, int length);
  int pcmSeek(s64 sample);
  s64 pcmTell();
  // ov_clear; afterwards the handle can be opened again.
  void clear();

  // Readable text for a negative OV_ result code ("not Vorbis data", ...).
  static const char* describeError(int code);

 private:
  struct State;
  std::unique_ptr<State> mpState;
  bool mOpen = false;
};

}  // namespace platform
