// WaveLoader: PCM RIFF WAVE files, from a file or a memory block, through our
// RiffReader. Only "fmt " chunks that fit the 18-byte format record are taken.
// read() may be called from any thread (under the base's lock); the rest from the owner.
#pragma once

#include "sound/riff_reader.h"
#include "sound/sound_loader.h"

class WaveLoader : public CSoundLoader {
 public:
  WaveLoader() = default;
  ~WaveLoader() override { close(); }

  s32 close() override;
  // Position within the PCM data; origin 0 from its start, 1 from the current
  // position, 2 from its end. 3 when not open.
  s32 seekBytes(s64 bytes, s32 origin) override;
  s32 seekMs(s64 ms, s32 origin) override;
  s32 decode(WAVEFORMATEX* pFormat, Block* pData, s64 position, s64 size, bool loop) override;

 protected:
  u64 readStream(u8* pDestination, u64 size) override;
  u64 getStreamOffset() override;
  bool rewindStream() override;
  void closeStream() override;

 private:
  bool openStream();

  RiffReader mRiff;      // the open file or memory block
  u64 mDataStart = 0;    // offset of the "data" chunk's content
};
