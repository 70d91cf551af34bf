// The music's length from its decoder; see music_length.h.
#include "sound/music_length.h"

#include <cstdio>
#include <memory>

#include "sound/ogg_vorbis_loader.h"
#include "sound/wave_loader.h"

namespace sound {

std::optional<u32> musicLengthMs(const char* pDataPath) {
  std::unique_ptr<CSoundLoader> pDecoder = std::make_unique<WaveLoader>();
  if (!pDecoder->probe(pDataPath, nullptr, 0)) {
    pDecoder = std::make_unique<OggVorbisLoader>();
    if (!pDecoder->probe(pDataPath, nullptr, 0)) return std::nullopt;
  }
  if (pDecoder->open(pDataPath, nullptr, 0) != CSoundLoader::RESULT_OK) return std::nullopt;
  const s64 length = pDecoder->getLengthMs();
  pDecoder->close();
  if (length < 0) return std::nullopt;
  return static_cast<u32>(length);
}

std::string minutesAndSeconds(u32 ms) {
  const u32 seconds = ms / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
  return text;
}

}  // namespace sound
