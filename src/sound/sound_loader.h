// CSoundLoader, the base of the sound decoders: output format, read position,
// silence padding, looping, the 288-byte source info block and the lock that
// serialises reads. read() may be called from any thread; the rest from its owner.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "framework/types.h"
#include "sound/wave_format.h"

// Where the sound comes from, in a fixed little-endian layout.
struct SoundSourceInfo {
  u32 blockSize;          // always 288
  char fileName[260];     // as passed to open, zero-terminated
  u64 sourceSize;         // file size or memory block size
  u32 memoryAddress;      // low 32 bits of the block's address (memory mode)
  u32 reserved;
  u64 memoryPosition;     // read position inside the memory block
};
static_assert(sizeof(SoundSourceInfo) == 288, "the block has a fixed size");
static_assert(offsetof(SoundSourceInfo, sourceSize) == 264 && offsetof(SoundSourceInfo, memoryAddress) == 272 &&
                  offsetof(SoundSourceInfo, memoryPosition) == 280,
              "fixed field offsets");

class CSoundLoader {
 public:
  // Result codes shared by every decoder.
  static constexpr s32 RESULT_OK = 1;
  static constexpr s32 RESULT_READ_ERROR = 2;
  static constexpr s32 RESULT_NOT_OPEN = 3;
  static constexpr s32 RESULT_OPEN_FAILED = 6;
  static constexpr s32 RESULT_END_IN_READ = 7;    // the rest of the chunk is silence
  static constexpr s32 RESULT_READ_PAST_END = 8;  // the whole chunk is silence

  // The file name that selects memory mode in open().
  static constexpr const char* MEMORY_FILE_NAME = "ON_MEMORY_FILE_LOAD";

  // A decoded block: zero-filled on allocation, owned by whoever holds it.
  using Block = std::unique_ptr<u8[]>;

  virtual ~CSoundLoader() = default;
  CSoundLoader(const CSoundLoader&) = delete;
  CSoundLoader& operator=(const CSoundLoader&) = delete;

  virtual s32 getFormat(WAVEFORMATEX* pOut);
  // Replaces *pData with a new block of `size` bytes (size <= 0: the whole sound)
  // read from `position` (-1: where the stream is). Takes the lock.
  virtual s32 read(Block* pData, s64 position, s64 size, bool loop);
  virtual s32 getSourceInfo(SoundSourceInfo* pOut);
  virtual s64 getLengthMs();
  virtual u32 getPosition();
  // File mode for any name but MEMORY_FILE_NAME; memory mode borrows `pMemory`,
  // which must outlive the decoder. 1, or 6 with getLastError() saying why.
  virtual s32 open(const char* pName, const void* pMemory, u64 memorySize);
  virtual s32 close() = 0;
  virtual u32 getDataSize();
  virtual bool probe(const char* pName, const void* pMemory, u64 memorySize);
  virtual s32 seekBytes(s64 bytes, s32 origin) = 0;
  virtual s32 seekMs(s64 ms, s32 origin) = 0;
  // The format-specific worker: with pFormat it opens the stream and fills the
  // format; with pData it reads as read() describes.
  virtual s32 decode(WAVEFORMATEX* pFormat, Block* pData, s64 position, s64 size, bool loop) = 0;

  // The last open or read problem, naming the source ("x.wav: not a RIFF file").
  const std::string& getLastError() const { return mLastError; }
  bool isOpened() const { return mOpened; }

 protected:
  CSoundLoader() = default;

  // The stream under the shared read rules: raw PCM bytes from the current
  // offset (how many arrived), the offset reached, back to the first byte.
  virtual u64 readStream(u8* pDestination, u64 size) = 0;
  virtual u64 getStreamOffset() = 0;
  virtual bool rewindStream() = 0;
  virtual void closeStream() = 0;

  // Rules shared by both formats once the stream is open and any requested
  // position has been sought. `wholeReadMustComplete` makes a short whole-sound
  // read an error.
  s32 decodeData(Block* pData, s64 size, bool loop, bool wholeReadMustComplete);
  // Clears format, position, size and the info block; drops the opened flag.
  void resetState();
  bool fail(const std::string& problem);
  bool isMemoryMode() const;

  WAVEFORMATEX mFormat{};
  u32 mPosition = 0;
  u32 mDataSize = 0;
  std::unique_ptr<SoundSourceInfo> mpSourceInfo;
  bool mOpened = false;
  std::mutex mLock;

  std::string mName;                 // full name as given, even past 259 characters
  const u8* mpMemory = nullptr;      // borrowed, memory mode only
  std::string mLastError;
};
