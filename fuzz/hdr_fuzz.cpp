// Fuzz target: the Radiance reader as the texture path calls it: header, a
// power-of-two pixel buffer, then every scanline.
#include <memory>

#include "fuzz_harness.h"
#include "resource/hdr_reader.h"
#include "resource/res_texture.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  fuzzing::runGuarded([&] {
    image::HdrHeader header;
    std::string error;
    if (!image::readHdrHeader(pData, size, header, error)) return;
    if (header.xSize == 0 || header.ySize == 0 || header.xSize > image::kMaxHdrSide || header.ySize > image::kMaxHdrSide) {
      std::abort();  // the header promised to refuse these
    }
    const u32 width = roundUpToPowerOfTwo(header.xSize);
    const u32 height = roundUpToPowerOfTwo(header.ySize);
    std::unique_ptr<u8[]> pixels(new u8[static_cast<std::size_t>(width) * height * 4]());
    image::readHdrScanlines(pData, size, header, pixels.get(), width, height, error);
  });
  return 0;
}
