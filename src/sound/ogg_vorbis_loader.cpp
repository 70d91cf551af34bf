// Ogg Vorbis decoding over platform::VorbisFile: stream set-up, the memory-mode
// callbacks, sample-exact seeking and the read loop. Damaged streams end in
// code 2 and a message naming the file and the problem.
#include "sound/ogg_vorbis_loader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/critical_check.h"
#include "framework/shell_path.h"

s32 OggVorbisLoader::close() {
  mVorbis.clear();
  mChannels = 0;
  mRate = 0;
  resetState();
  return RESULT_OK;
}

bool OggVorbisLoader::openStream() {
  int result;
  if (isMemoryMode()) {
    mpSourceInfo->memoryPosition = 0;
    result = mVorbis.openCallbacks(this, {&readMemory, &seekMemory, &closeMemory, &tellMemory});
  } else {
    std::FILE* pFile = std::fopen(paths::hostPath(mName).c_str(), "rb");
    if (!pFile) return fail("cannot be opened");
    result = mVorbis.openFile(pFile);
    if (result < 0) std::fclose(pFile);
  }
  if (result < 0) return fail(platform::VorbisFile::describeError(result));

  int channels = 0;
  long rate = 0;
  double seconds = mVorbis.timeTotal();
  if (!mVorbis.info(channels, rate) || channels <= 0 || channels > 255 || rate <= 0 || seconds < 0.0) {
    mVorbis.clear();
    return fail("Vorbis stream has no usable length, channel count or rate");
  }
  double bytes = seconds * channels * rate * 2.0;
  if (bytes >= 4294967296.0) {
    mVorbis.clear();
    return fail("stream is too long for 32-bit PCM sizes");
  }
  mChannels = channels;
  mRate = rate;
  mDataSize = static_cast<u32>(bytes);
  mFormat = WAVEFORMATEX{};
  mFormat.formatTag = WAVE_FORMAT_PCM;
  mFormat.channels = static_cast<u16>(channels);
  mFormat.samplesPerSec = static_cast<u32>(rate);
  mFormat.bitsPerSample = 16;
  mFormat.blockAlign = static_cast<u16>(channels * 2);
  mFormat.avgBytesPerSec = mFormat.blockAlign * mFormat.samplesPerSec;
  mFormat.extraSize = 0;
  return true;
}

s32 OggVorbisLoader::decode(WAVEFORMATEX* pFormat, Block* pData, s64 position, s64 size, bool loop) {
  if (!mVorbis.isOpen() && !openStream()) return RESULT_READ_ERROR;
  if (pFormat) *pFormat = mFormat;
  if (!pData) return RESULT_OK;
  // Position 0 is a real request (back to the start), as it is for WAVE; only -1 continues.
  if (size > 0 && position >= 0) seekBytes(position, 0);
  return decodeData(pData, size, loop, false);
}

u64 OggVorbisLoader::readStream(u8* pDestination, u64 size) {
  u64 got = 0;
  while (got < size) {
    int piece = static_cast<int>(std::min<u64>(size - got, 1u << 20));
    long delivered = mVorbis.read(reinterpret_cast<char*>(pDestination + got), piece);
    if (delivered <= 0) break;  // the end, or a damaged packet: the block keeps its zeros
    got += static_cast<u64>(delivered);
  }
  return got;
}

u64 OggVorbisLoader::getStreamOffset() {
  s64 sample = mVorbis.pcmTell();
  return sample > 0 ? static_cast<u64>(sample) * (mFormat.bitsPerSample / 8) * mFormat.channels : 0;
}

bool OggVorbisLoader::rewindStream() { return mVorbis.pcmSeek(0) == 0; }

void OggVorbisLoader::closeStream() { mVorbis.clear(); }

s32 OggVorbisLoader::seekBytes(s64 bytes, s32 /*origin*/) {
  mPosition = static_cast<u32>(bytes);
  // After a whole-sound decode the stream is closed; an opened decoder brings it back.
  if (mOpened && !mVorbis.isOpen()) openStream();
  if (!mVorbis.isOpen() || mFormat.avgBytesPerSec == 0) return RESULT_OK;
  // Whole-number arithmetic, so a block-aligned byte offset maps to its exact sample.
  s64 sample = bytes * static_cast<s64>(mRate) / static_cast<s64>(mFormat.avgBytesPerSec);
  if (mVorbis.pcmSeek(sample) != 0) {
    std::fprintf(stderr, "orvane: %s: the Ogg Vorbis stream cannot seek to sample %lld; the file is damaged\n",
                 mName.empty() ? "sound in memory" : mName.c_str(), static_cast<long long>(sample));
    CRITICAL_CHECK(0, "");
  }
  return RESULT_OK;
}

s32 OggVorbisLoader::seekMs(s64 ms, s32 /*origin*/) {
  mPosition = static_cast<u32>(ms * static_cast<s64>(mFormat.avgBytesPerSec) / 1000);
  if (mOpened && !mVorbis.isOpen()) openStream();
  if (mVorbis.isOpen()) mVorbis.pcmSeek(ms * static_cast<s64>(mRate) / 1000);
  return RESULT_OK;
}

std::size_t OggVorbisLoader::readMemory(void* pBuffer, std::size_t size, std::size_t count, void* pSource) {
  auto* pLoader = static_cast<OggVorbisLoader*>(pSource);
  if (!pLoader || !pLoader->mpSourceInfo || size == 0) return 0;
  SoundSourceInfo& info = *pLoader->mpSourceInfo;
  if (info.memoryPosition >= info.sourceSize) return 0;
  u64 left = info.sourceSize - info.memoryPosition;
  u64 wanted = static_cast<u64>(size) * count;
  if (wanted >= left) {
    std::memcpy(pBuffer, pLoader->mpMemory + info.memoryPosition, left);
    info.memoryPosition = info.sourceSize;
    return left / size;
  }
  std::memcpy(pBuffer, pLoader->mpMemory + info.memoryPosition, wanted);
  info.memoryPosition += wanted;
  return count;
}

int OggVorbisLoader::seekMemory(void* pSource, s64 offset, int origin) {
  auto* pLoader = static_cast<OggVorbisLoader*>(pSource);
  if (!pLoader || !pLoader->mpSourceInfo) return -1;
  SoundSourceInfo& info = *pLoader->mpSourceInfo;
  s64 base;
  switch (origin) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<s64>(info.memoryPosition); break;
    case SEEK_END: base = static_cast<s64>(info.sourceSize); break;
    default: return -1;
  }
  s64 target = base + offset;
  if (target < 0) return -1;
  // No upper bound: a position past the end simply reads nothing.
  info.memoryPosition = static_cast<u64>(target);
  return 0;
}

int OggVorbisLoader::closeMemory(void* pSource) { return pSource ? 0 : -1; }

long OggVorbisLoader::tellMemory(void* pSource) {
  auto* pLoader = static_cast<OggVorbisLoader*>(pSource);
  if (!pLoader || !pLoader->mpSourceInfo) return -1;
  return static_cast<long>(static_cast<u32>(pLoader->mpSourceInfo->memoryPosition));
}
