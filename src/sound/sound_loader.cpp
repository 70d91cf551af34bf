// The decoder rules both formats share: open, the locked read, silence padding,
// codes 7 and 8, and looping back to the first byte. read() runs on whichever
// thread streams; everything else on the decoder's owner.
#include "sound/sound_loader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "framework/shell_path.h"

s32 CSoundLoader::getFormat(WAVEFORMATEX* pOut) {
  *pOut = mFormat;
  return RESULT_OK;
}

s32 CSoundLoader::read(Block* pData, s64 position, s64 size, bool loop) {
  if (!mOpened) return RESULT_NOT_OPEN;
  std::lock_guard<std::mutex> guard(mLock);
  return decode(nullptr, pData, position, size, loop);
}

s32 CSoundLoader::getSourceInfo(SoundSourceInfo* pOut) {
  if (!mpSourceInfo) return RESULT_NOT_OPEN;
  *pOut = *mpSourceInfo;
  return RESULT_OK;
}

s64 CSoundLoader::getLengthMs() {
  // Whole-number arithmetic: dividing the rate by 1000 first would lose up to
  // a second per thousand and divide by zero below 1000 bytes per second.
  if (mFormat.avgBytesPerSec == 0) return 0;
  return static_cast<s64>(static_cast<u64>(mDataSize) * 1000 / mFormat.avgBytesPerSec);
}

u32 CSoundLoader::getPosition() { return mPosition; }

u32 CSoundLoader::getDataSize() { return mDataSize; }

bool CSoundLoader::isMemoryMode() const {
  return mpSourceInfo && std::strcmp(mpSourceInfo->fileName, MEMORY_FILE_NAME) == 0;
}

s32 CSoundLoader::open(const char* pName, const void* pMemory, u64 memorySize) {
  close();
  resetState();
  mLastError.clear();
  mpSourceInfo = std::make_unique<SoundSourceInfo>();
  std::memset(mpSourceInfo.get(), 0, sizeof(SoundSourceInfo));
  mpSourceInfo->blockSize = sizeof(SoundSourceInfo);
  mName = pName ? pName : "";
  std::strncpy(mpSourceInfo->fileName, mName.c_str(), sizeof(mpSourceInfo->fileName) - 1);

  if (mName != MEMORY_FILE_NAME) {
    if (std::FILE* pFile = std::fopen(paths::hostPath(mName).c_str(), "rb")) {
      if (std::fseek(pFile, 0, SEEK_END) == 0) {
        long size = std::ftell(pFile);
        mpSourceInfo->sourceSize = size > 0 ? static_cast<u64>(size) : 0;
      }
      std::fclose(pFile);
    }
  } else {
    mpMemory = static_cast<const u8*>(pMemory);
    mpSourceInfo->sourceSize = memorySize;
    mpSourceInfo->memoryAddress = static_cast<u32>(reinterpret_cast<std::uintptr_t>(pMemory));
    mpSourceInfo->memoryPosition = 0;
  }

  if (decode(&mFormat, nullptr, -1, 0, false) == RESULT_OK) {
    mOpened = true;
    return RESULT_OK;
  }
  std::string reason = mLastError;
  close();
  mLastError = reason;
  return RESULT_OPEN_FAILED;
}

bool CSoundLoader::probe(const char* pName, const void* pMemory, u64 memorySize) {
  s32 result = open(pName, pMemory, memorySize);
  std::string reason = mLastError;
  close();
  mLastError = reason;
  return result == RESULT_OK;
}

void CSoundLoader::resetState() {
  mFormat = WAVEFORMATEX{};
  mPosition = 0;
  mDataSize = 0;
  mpSourceInfo.reset();
  mpMemory = nullptr;
  mOpened = false;
}

bool CSoundLoader::fail(const std::string& problem) {
  mLastError = mName + ": " + problem;
  return false;
}

s32 CSoundLoader::decodeData(Block* pData, s64 size, bool loop, bool wholeReadMustComplete) {
  const u8 silence = mFormat.bitsPerSample == 8 ? 0x80 : 0x00;
  pData->reset();

  if (size <= 0) {
    *pData = std::make_unique<u8[]>(mDataSize);
    u64 got = rewindStream() ? readStream(pData->get(), mDataSize) : 0;
    closeStream();
    if (wholeReadMustComplete && got != mDataSize) {
      fail("only " + std::to_string(got) + " of " + std::to_string(mDataSize) + " bytes could be read");
      return RESULT_READ_ERROR;
    }
    return RESULT_OK;
  }

  const u64 wanted = static_cast<u64>(size);
  *pData = std::make_unique<u8[]>(wanted);
  u8* pOut = pData->get();
  const u64 current = getStreamOffset();
  if (current + wanted <= mDataSize) {
    readStream(pOut, wanted);
    mPosition += static_cast<u32>(wanted);
    return RESULT_OK;
  }
  if (!loop && current >= mDataSize) {
    std::memset(pOut, silence, wanted);
    return RESULT_READ_PAST_END;
  }
  const u64 remaining = current < mDataSize ? mDataSize - current : 0;
  readStream(pOut, remaining);
  mPosition += static_cast<u32>(remaining);
  if (!loop) {
    std::memset(pOut + remaining, silence, wanted - remaining);
    return RESULT_END_IN_READ;
  }
  const u64 missing = wanted - remaining;
  if (rewindStream()) readStream(pOut + remaining, missing);
  mPosition = static_cast<u32>(missing);
  return RESULT_OK;
}
