// Fuzz target: TGA through the texture path (header, size checks, pixels), without
// the upload. Sides that are not powers of two and a run past the last pixel are
// prescribed fatal ends.
#include "fuzz_harness.h"
#include "texture_probe.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({
      "Critical error:[tmpWidth==mWidth && tmpHeight==mHeight + \"not 2^n texture is not unsupported\"]",
      "Critical error:[currentpixel<=pixelcount + \"\"]",
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::vector<u8> file(pData, pData + size);
  fuzzing::runGuarded([&] {
    resTexture texture;
    if (TextureDecodingProbe::tga(texture, file)) {
      const std::size_t bytes =
          static_cast<std::size_t>(texture.getWidth()) * texture.getHeight() * (texture.getBitsPerPixel() / 8);
      if (!texture.getPixels() || bytes == 0) std::abort();
      volatile u8 last = texture.getPixels()[bytes - 1];
      (void)last;
    }
  });
  return 0;
}
