// RIFF WAVE decoding: the "WAVE" form, the whole "fmt " chunk, and PCM read from
// the "data" chunk by byte offset. Damaged files end in code 2 and a message
// naming the file and the problem; nothing past the source is ever read.
#include "sound/wave_loader.h"

#include <cstring>

#include "framework/shell_path.h"

s32 WaveLoader::close() {
  mRiff.close();
  mDataStart = 0;
  resetState();
  return RESULT_OK;
}

bool WaveLoader::openStream() {
  bool opened = isMemoryMode() ? mRiff.openMemory(mName, mpMemory, mpSourceInfo->sourceSize)
                               : mRiff.openFile(mName, paths::hostPath(mName));
  RiffReader::Chunk form, fmt, data;
  if (!opened || !mRiff.descendForm("WAVE", form) || !mRiff.descendChunk(form, "fmt ", fmt)) {
    mLastError = mRiff.getError();
    mRiff.close();
    return false;
  }
  // The record is read whole; a longer chunk (extensible formats) has no room in it.
  if (fmt.size > sizeof(WAVEFORMATEX) || fmt.size < 16) {
    mRiff.close();
    return fail("\"fmt \" chunk is " + std::to_string(fmt.size) +
                " bytes; only 16 to 18 bytes fit the format record");
  }
  WAVEFORMATEX format{};
  if (mRiff.read(&format, fmt.size) != fmt.size) {
    mRiff.close();
    return fail("\"fmt \" chunk cannot be read whole");
  }
  if (format.formatTag != WAVE_FORMAT_PCM || format.channels == 0 || format.blockAlign == 0 ||
      format.avgBytesPerSec == 0 || format.bitsPerSample == 0) {
    mRiff.close();
    return fail("not integer PCM (format tag " + std::to_string(format.formatTag) + ", " +
                std::to_string(format.channels) + " channels, block " + std::to_string(format.blockAlign) + ")");
  }
  if (!mRiff.descendChunk(form, "data", data)) {
    mLastError = mRiff.getError();
    mRiff.close();
    return false;
  }
  mFormat = format;
  mDataSize = data.size;
  mDataStart = data.start;
  mRiff.seek(mDataStart);
  return true;
}

s32 WaveLoader::decode(WAVEFORMATEX* pFormat, Block* pData, s64 position, s64 size, bool loop) {
  if (!mRiff.isOpen() && !openStream()) return RESULT_READ_ERROR;
  if (pFormat) *pFormat = mFormat;
  if (!pData) return RESULT_OK;
  if (size > 0 && position >= 0) seekBytes(position, 0);
  return decodeData(pData, size, loop, true);
}

u64 WaveLoader::readStream(u8* pDestination, u64 size) { return mRiff.read(pDestination, size); }

u64 WaveLoader::getStreamOffset() {
  u64 offset = mRiff.tell();
  return offset > mDataStart ? offset - mDataStart : 0;
}

bool WaveLoader::rewindStream() { return mRiff.seek(mDataStart); }

void WaveLoader::closeStream() { mRiff.close(); }

s32 WaveLoader::seekBytes(s64 bytes, s32 origin) {
  if (!mOpened) return RESULT_NOT_OPEN;
  // After a whole-sound decode the file is closed; an opened decoder brings it back.
  if (!mRiff.isOpen()) openStream();
  s64 base = origin == 1 ? static_cast<s64>(getStreamOffset()) : origin == 2 ? static_cast<s64>(mDataSize) : 0;
  s64 target = base + bytes < 0 ? 0 : base + bytes;
  mPosition = static_cast<u32>(target);
  mRiff.seek(mDataStart + static_cast<u64>(target));
  return RESULT_OK;
}

s32 WaveLoader::seekMs(s64 ms, s32 /*origin*/) {
  s64 bytes = ms < 0 ? 0 : ms * static_cast<s64>(mFormat.avgBytesPerSec) / 1000;
  mPosition = static_cast<u32>(bytes);
  if (mOpened && !mRiff.isOpen()) openStream();
  if (mRiff.isOpen()) mRiff.seek(mDataStart + static_cast<u64>(bytes));
  return RESULT_OK;
}
