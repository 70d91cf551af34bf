// Writing pictures to files (PNG through stb_image_write), for captures and
// screenshots. Any thread.
#pragma once

#include <string>

#include "framework/types.h"

namespace platform {

// `rgba` holds height rows of width pixels, four bytes each. Rows are stored top
// first unless bottomRowFirst says they come as GL reads them back.
bool writePngFile(const std::string& path, int width, int height, const u8* rgba, bool bottomRowFirst);

// The encoder's effort for every PNG written after the call (the default is the
// encoder's own, 8); FAST_PNG_COMPRESSION is the lowest it takes. Process-wide:
// set it before writer threads start, never while they write.
constexpr int FAST_PNG_COMPRESSION = 5;
void setPngCompressionLevel(int level);

}  // namespace platform
