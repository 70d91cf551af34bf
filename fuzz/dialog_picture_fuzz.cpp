// Fuzz target: the setup dialog's artwork reader, from a file. A picture it
// accepts must hold four bytes for every pixel of its sides.
#include <cstdlib>

#include "fuzz_harness.h"
#include "platform/dialog_image.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::string path = fuzzing::writeInput(pData, size, "bmp");
  fuzzing::runGuarded([&] {
    platform::DialogImage image;
    if (platform::loadDialogImage(path, image)) {
      if (image.width <= 0 || image.height <= 0) std::abort();
      if (image.rgba.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) std::abort();
      volatile u8 last = image.rgba.back();
      (void)last;
    }
  });
  return 0;
}
