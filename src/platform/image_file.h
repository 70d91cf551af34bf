// Writing pictures to files (PNG through stb_image_write), for captures and
// screenshots. Any thread.
#pragma once

#include <string>

#include "framework/types.h"

namespace platform {

// `rgba` holds height rows of width pixels, four bytes each. Rows are stored top
// first unless bottomRowFirst says they come as GL reads them back.
bool writePngFile(const std::string& path, int width, int height, const u8* rgba, bool bottomRowFirst);

}  // namespace platform
