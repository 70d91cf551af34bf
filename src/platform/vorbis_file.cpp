// libvorbisfile behind platform::VorbisFile; the only place the decoding side of
// vorbisfile is included. Called by whichever thread owns the decoder.
#include "platform/vorbis_file.h"

#include <vorbis/vorbisfile.h>

#include <cstring>
#include <type_traits>

namespace platform {

static_assert(std::is_same_v<ogg_int64_t, s64>, "callback offsets must match the library's");

struct VorbisFile::State {
  OggVorbis_File file;
};

VorbisFile::VorbisFile() : mpState(std::make_unique<State>()) {
  std::memset(&mpState->file, 0, sizeof(mpState->file));
}

VorbisFile::~VorbisFile() { clear(); }

int VorbisFile::openFile(std::FILE* file) {
  clear();
  int result = ov_open(file, &mpState->file, nullptr, 0);
  mOpen = result >= 0;
  return result;
}

int VorbisFile::openCallbacks(void* source, const VorbisCallbacks& callbacks) {
  clear();
  ov_callbacks libraryCallbacks{callbacks.read, callbacks.seek, callbacks.close, callbacks.tell};
  int result = ov_open_callbacks(source, &mpState->file, nullptr, 0, libraryCallbacks);
  mOpen = result >= 0;
  return result;
}

bool VorbisFile::info(int& channels, long& rate) {
  if (!mOpen) return false;
  vorbis_info* pInfo = ov_info(&mpState->file, -1);
  if (!pInfo) return false;
  channels = pInfo->channels;
  rate = pInfo->rate;
  return true;
}

double VorbisFile::timeTotal() { return mOpen ? ov_time_total(&mpState->file, -1) : -1.0; }

long VorbisFile::read(char* buffer, int length) {
  if (!mOpen) return OV_EINVAL;
  int bitstream = 0;
  return ov_read(&mpState->file, buffer, length, 0, 2, 1, &bitstream);
}

int VorbisFile::pcmSeek(s64 sample) { return mOpen ? ov_pcm_seek(&mpState->file, sample) : OV_EINVAL; }

s64 VorbisFile::pcmTell() { return mOpen ? ov_pcm_tell(&mpState->file) : OV_EINVAL; }

void VorbisFile::clear() {
  if (mOpen) ov_clear(&mpState->file);
  std::memset(&mpState->file, 0, sizeof(mpState->file));
  mOpen = false;
}

const char* VorbisFile::describeError(int code) {
  switch (code) {
    case OV_EREAD: return "read error while looking for the stream headers";
    case OV_ENOTVORBIS: return "not Ogg Vorbis data";
    case OV_EVERSION: return "unsupported Vorbis version";
    case OV_EBADHEADER: return "invalid Vorbis stream header";
    case OV_EFAULT: return "internal decoder fault";
    case OV_EINVAL: return "invalid or truncated stream";
    case OV_ENOSEEK: return "stream is not seekable";
    case OV_EOF: return "unexpected end of data";
    case OV_HOLE: return "gap in the stream data";
    default: return "decoder error";
  }
}

}  // namespace platform
