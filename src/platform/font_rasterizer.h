// Draws single characters of a system font into RGB pixel buffers: the face is
// found through fontconfig and rendered by FreeType, anti-aliased.
// Does not: cache glyphs, lay out text or upload textures.
#pragma once

#include <memory>
#include <string>

#include "framework/types.h"

namespace platform {

class FontRasterizer {
 public:
  FontRasterizer();
  ~FontRasterizer();
  FontRasterizer(const FontRasterizer&) = delete;
  FontRasterizer& operator=(const FontRasterizer&) = delete;

  // Finds the face best matching the fontconfig pattern (e.g. "monospace:bold")
  // and sizes it so that its cell (ascent plus descent) is cellHeight pixels,
  // the way a Windows font height counts. False with error() when none opens.
  bool open(const char* pPattern, u32 cellHeight);
  const std::string& error() const { return mError; }
  const std::string& fontFile() const { return mFontFile; }

  // Draws the character with its cell's top at `top` and its pen at `left`, in the
  // colour scaled by coverage over what is there (brighter wins), into an RGB
  // buffer of width x height pixels, top row first, stride bytes per row. Parts
  // outside the buffer are clipped. Character 0 draws nothing.
  void drawCharacter(u8 character, int left, int top, u8 red, u8 green, u8 blue, u8* pRgb, int width,
                     int height, int stride) const;

 private:
  struct Face;
  std::unique_ptr<Face> mpFace;
  std::string mError;
  std::string mFontFile;
};

}  // namespace platform
