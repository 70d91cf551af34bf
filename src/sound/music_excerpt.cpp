// Decoding a stretch of the music through the same decoders the player uses.
#include "sound/music_excerpt.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "sound/ogg_vorbis_loader.h"
#include "sound/wave_loader.h"

namespace {

void putU16(std::vector<u8>& out, u16 value) {
  out.push_back(static_cast<u8>(value));
  out.push_back(static_cast<u8>(value >> 8));
}

void putU32(std::vector<u8>& out, u32 value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<u8>(value >> shift));
}

// The decoder for the music file, opened; null with `error` set.
std::unique_ptr<CSoundLoader> openMusic(const char* fileName, PcmExcerpt& excerpt, std::string& error) {
  std::unique_ptr<CSoundLoader> pDecoder = std::make_unique<WaveLoader>();
  if (!pDecoder->probe(fileName, nullptr, 0)) {
    pDecoder = std::make_unique<OggVorbisLoader>();
  }
  if (pDecoder->open(fileName, nullptr, 0) != CSoundLoader::RESULT_OK) {
    error = pDecoder->getLastError();
    return nullptr;
  }
  pDecoder->getFormat(&excerpt.format);
  return pDecoder;
}

// Decodes `count` sample frames from sample frame `first` into the excerpt.
bool decodeSampleFrames(CSoundLoader& decoder, const char* fileName, u64 first, u64 count, PcmExcerpt& excerpt,
                        std::string& error) {
  const u64 frameBytes = excerpt.format.blockAlign ? excerpt.format.blockAlign : 1;
  const u64 size = count * frameBytes;
  if (size > 0xFFFFFFF0u) {
    error = std::string(fileName) + ": an excerpt of " + std::to_string(count) + " sample frames is too long for WAVE";
    return false;
  }
  excerpt.bytes.assign(size, 0);
  if (size == 0) {
    return true;
  }
  CSoundLoader::Block block;
  const s32 result = decoder.read(&block, static_cast<s64>(first * frameBytes), static_cast<s64>(size), false);
  if (result == CSoundLoader::RESULT_READ_ERROR || result == CSoundLoader::RESULT_NOT_OPEN || !block) {
    error = std::string(fileName) + ": the music could not be decoded from sample frame " + std::to_string(first);
    return false;
  }
  std::memcpy(excerpt.bytes.data(), block.get(), size);
  return true;
}

}  // namespace

bool readMusicExcerpt(const char* fileName, u32 startMs, u32 lengthMs, PcmExcerpt& excerpt, std::string& error) {
  std::unique_ptr<CSoundLoader> pDecoder = openMusic(fileName, excerpt, error);
  if (!pDecoder) {
    return false;
  }
  const u64 rate = excerpt.format.samplesPerSec;
  return decodeSampleFrames(*pDecoder, fileName, startMs * rate / 1000, lengthMs * rate / 1000, excerpt, error);
}

bool readMusicForFrames(const char* fileName, u32 startMs, u32 fps, u64 firstFrame, u64 frameCount,
                        PcmExcerpt& excerpt, std::string& error) {
  std::unique_ptr<CSoundLoader> pDecoder = openMusic(fileName, excerpt, error);
  if (!pDecoder) {
    return false;
  }
  const u64 rate = excerpt.format.samplesPerSec;
  const u64 first = musicSampleFrameAt(startMs, fps, rate, firstFrame);
  return decodeSampleFrames(*pDecoder, fileName, first,
                            musicSampleFrameAt(startMs, fps, rate, firstFrame + frameCount) - first, excerpt, error);
}

u64 musicSampleFrameAt(u32 startMs, u32 fps, u64 rate, u64 frame) {
  const u64 step = fps ? fps : 1;
  // Whole numbers throughout: a boundary must come out the same in every piece.
  return (startMs * rate * step + frame * rate * 1000) / (1000 * step);
}

bool writeWaveFile(const std::string& path, const PcmExcerpt& excerpt) {
  const WAVEFORMATEX& format = excerpt.format;
  const u32 dataSize = static_cast<u32>(excerpt.bytes.size());
  std::vector<u8> header;
  header.insert(header.end(), {'R', 'I', 'F', 'F'});
  putU32(header, 36 + dataSize);
  header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  putU32(header, 16);
  putU16(header, WAVE_FORMAT_PCM);
  putU16(header, format.channels);
  putU32(header, format.samplesPerSec);
  putU32(header, format.avgBytesPerSec);
  putU16(header, format.blockAlign);
  putU16(header, format.bitsPerSample);
  header.insert(header.end(), {'d', 'a', 't', 'a'});
  putU32(header, dataSize);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    return false;
  }
  bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size();
  written = written && std::fwrite(excerpt.bytes.data(), 1, excerpt.bytes.size(), file) == excerpt.bytes.size();
  return std::fclose(file) == 0 && written;
}
