// writeFastPngFile: captured frames as PNG files with one fixed row filter and
// libdeflate's fastest level — several times quicker than the general writer, and
// the same pixels always give the same bytes. Any thread.
#pragma once

#include <string>

#include "framework/types.h"

namespace platform {

// `bgra` holds height rows of width pixels as GL reads them back in BGRA order
// (bottom row first); the file is 8-bit RGB, top row first (alpha is dropped: a
// frame is opaque).
bool writeFastPngFile(const std::string& path, int width, int height, const u8* bgra);

}  // namespace platform
