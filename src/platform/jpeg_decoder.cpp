// JPEG decoding through TurboJPEG, whose calls return their errors: libjpeg's own
// error exit never leaves the library, so a damaged file cannot end the process.
#include "platform/jpeg_decoder.h"

#include <turbojpeg.h>

#include <climits>
#include <memory>

namespace platform {
namespace {

struct HandleCloser {
  void operator()(void* pHandle) const { tjDestroy(pHandle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// A call that only warned (data cut short, bytes between markers) has decoded what
// there is: viewers show such files, and so do we.
bool succeeded(int result, void* pHandle) { return result == 0 || tjGetErrorCode(pHandle) == TJERR_WARNING; }

struct Header {
  int width = 0;
  int height = 0;
  int colourSpace = 0;
};

bool readHeader(void* pHandle, const u8* pData, std::size_t size, Header& header, std::string& error) {
  if (size > static_cast<std::size_t>(ULONG_MAX)) {
    error = "the file is too large to decode";
    return false;
  }
  int subsampling = 0;
  if (!succeeded(tjDecompressHeader3(pHandle, pData, static_cast<unsigned long>(size), &header.width,
                                     &header.height, &subsampling, &header.colourSpace),
                 pHandle) ||
      header.width <= 0 || header.height <= 0) {
    error = std::string("not a JPEG the decoder can read (") + tjGetErrorStr2(pHandle) + ")";
    return false;
  }
  return true;
}

}  // namespace

bool readJpegSize(const u8* pData, std::size_t size, u32& width, u32& height, std::string& error) {
  const Handle handle(tjInitDecompress());
  Header header;
  if (!handle || !readHeader(handle.get(), pData, size, header, error)) {
    if (!handle) error = "the JPEG decoder could not start";
    return false;
  }
  width = static_cast<u32>(header.width);
  height = static_cast<u32>(header.height);
  return true;
}

bool decodeJpeg(const u8* pData, std::size_t size, JpegPicture& picture, std::string& error) {
  picture = JpegPicture{};
  const Handle handle(tjInitDecompress());
  if (!handle) {
    error = "the JPEG decoder could not start";
    return false;
  }
  Header header;
  if (!readHeader(handle.get(), pData, size, header, error)) return false;
  // Every 8 x 8 block of a scan costs at least one bit, so a file cannot hold
  // more blocks than it has bits: a tiny file claiming a huge picture would
  // otherwise be decoded at full size from nothing.
  const u64 blocks = (static_cast<u64>(header.width) + 7) / 8 * ((static_cast<u64>(header.height) + 7) / 8);
  if (blocks > static_cast<u64>(size) * 8) {
    error = "the JPEG data is too short for a " + std::to_string(header.width) + " x " +
            std::to_string(header.height) + " picture";
    return false;
  }
  // libjpeg converts neither CMYK nor YCCK to RGB: it gives the inks (stored
  // inverted, as Adobe writes them) and the black is multiplied in here.
  const bool inks = header.colourSpace == TJCS_CMYK || header.colourSpace == TJCS_YCCK;
  const std::size_t count = static_cast<std::size_t>(header.width) * header.height;
  std::vector<u8> decoded(count * (inks ? 4 : 3));
  // A progressive file of thousands of tiny scans would take minutes: the limit
  // refuses it (libjpeg-turbo's own limit, far above what any encoder writes).
  const int flags = TJFLAG_LIMITSCANS;
  if (!succeeded(tjDecompress2(handle.get(), pData, static_cast<unsigned long>(size), decoded.data(), header.width,
                               0, header.height, inks ? TJPF_CMYK : TJPF_RGB, flags),
                 handle.get())) {
    error = std::string("the JPEG could not be decoded (") + tjGetErrorStr2(handle.get()) + ")";
    return false;
  }
  if (inks) {
    for (std::size_t i = 0; i < count; ++i) {
      const u8* pInk = &decoded[i * 4];
      for (int c = 0; c < 3; ++c) {
        const u32 product = static_cast<u32>(pInk[c]) * pInk[3] + 128;
        decoded[i * 3 + c] = static_cast<u8>((product + (product >> 8)) >> 8);
      }
    }
    decoded.resize(count * 3);
  }
  picture.width = static_cast<u32>(header.width);
  picture.height = static_cast<u32>(header.height);
  picture.rgb = std::move(decoded);
  return true;
}

}  // namespace platform
