// Small picture files for the setup dialog: reading the artwork and writing a
// screenshot. Does not: upload to GL, or handle anything larger than a dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct DialogImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // rows top to bottom, four bytes a pixel
};

// Files above this size are refused unread.
inline constexpr std::size_t kMaxDialogImageBytes = std::size_t{16} << 20;

// Reads a BMP, JPEG or PNG through the same guarded decoder as textures (size
// limits, format check, the JPEG table guard); false when the file is missing or
// bad, with the reason on standard error.
bool loadDialogImage(const std::string& path, DialogImage& image);

// Writes a PNG; false when the file cannot be written.
bool saveDialogImagePng(const std::string& path, const DialogImage& image);

}  // namespace platform
