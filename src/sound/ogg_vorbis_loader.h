// OggVorbisLoader: Ogg Vorbis decoded to 16-bit signed little-endian PCM, from a
// file (stdio) or a memory block (four callbacks over the source info block).
// read() may be called from any thread (under the base's lock); the rest from the owner.
#pragma once

#include <cstddef>

#include "platform/vorbis_file.h"
#include "sound/sound_loader.h"

class OggVorbisLoader : public CSoundLoader {
 public:
  OggVorbisLoader() = default;
  ~OggVorbisLoader() override { close(); }

  s32 close() override;
  // Seeks to the sample holding byte `bytes`; a seek the stream refuses is fatal.
  // 1, also when not open (then nothing moves).
  s32 seekBytes(s64 bytes, s32 origin) override;
  s32 seekMs(s64 ms, s32 origin) override;
  s32 decode(WAVEFORMATEX* pFormat, Block* pData, s64 position, s64 size, bool loop) override;

  // The memory-mode data source, over the source info block; `pSource` is the decoder.
  static std::size_t readMemory(void* pBuffer, std::size_t size, std::size_t count, void* pSource);
  static int seekMemory(void* pSource, s64 offset, int origin);
  static int closeMemory(void* pSource);
  static long tellMemory(void* pSource);

 protected:
  u64 readStream(u8* pDestination, u64 size) override;
  u64 getStreamOffset() override;
  bool rewindStream() override;
  void closeStream() override;

 private:
  bool openStream();

  // The stream state. In file mode it also owns the stdio file once the open
  // succeeds, and closes it when cleared: closing it here as well would close it twice.
  platform::VorbisFile mVorbis;
  int mChannels = 0;   // from the stream's vorbis_info
  long mRate = 0;
};
