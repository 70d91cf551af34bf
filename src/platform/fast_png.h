// writeFastPngFile: captured frames as PNG files with one fixed row filter and a
// deflate that codes only runs (see run_length_deflate.h) — several times quicker
// than the general writer, and the same pixels always give the same bytes. Any thread.
#pragma once

#include <string>

#include "framework/types.h"

namespace platform {

// `bgra` holds height rows of width pixels as GL reads them back in BGRA order
// (bottom row first); the file is 8-bit RGB, top row first (alpha is dropped: a
// frame is opaque).
bool writeFastPngFile(const std::string& path, int width, int height, const u8* bgra);

}  // namespace platform
