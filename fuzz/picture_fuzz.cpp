// Fuzz target: BMP and JPEG through the texture path (decoding, padding to powers
// of two, colour key, a 32-bit BMP's alpha), everything but the upload.
#include "fuzz_harness.h"
#include "texture_probe.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::vector<u8> file(pData, pData + size);
  fuzzing::runGuarded([&] {
    resTexture texture;
    if (TextureDecodingProbe::picture(texture, file, size && (pData[0] & 1) ? "jpg" : "bmp")) {
      const std::size_t bytes = static_cast<std::size_t>(texture.getWidth()) * texture.getHeight() * 4;
      if (!texture.getPixels() || bytes == 0) std::abort();
      // Every byte must be readable: ASan checks the far end.
      volatile u8 last = texture.getPixels()[bytes - 1];
      (void)last;
    }
  });
  return 0;
}
