// FreeType rendering of one character at a time, with the face chosen by fontconfig.
#include "platform/font_rasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace platform {

struct FontRasterizer::Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int ascent = 0;  // pixels from the cell's top to the baseline
  ~Face() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

FontRasterizer::FontRasterizer() = default;
FontRasterizer::~FontRasterizer() = default;

namespace {

bool findFontFile(const char* pPattern, std::string& file, int& index) {
  if (!FcInit()) return false;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(pPattern));
  if (!pattern) return false;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* path = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
  if (found) {
    file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  }
  FcPatternDestroy(match);
  return found;
}

}  // namespace

bool FontRasterizer::open(const char* pPattern, u32 cellHeight) {
  mpFace.reset();
  int index = 0;
  if (!findFontFile(pPattern, mFontFile, index)) {
    mError = std::string("no font matches \"") + pPattern + "\"";
    return false;
  }
  auto face = std::make_unique<Face>();
  if (FT_Init_FreeType(&face->library) != 0 ||
      FT_New_Face(face->library, mFontFile.c_str(), index, &face->face) != 0) {
    mError = "FreeType cannot open " + mFontFile;
    return false;
  }
  // A Windows font height is the cell height, not the em size: ask for the cell.
  FT_Size_RequestRec request{};
  request.type = FT_SIZE_REQUEST_TYPE_CELL;
  request.height = static_cast<FT_Long>(cellHeight) << 6;
  if (FT_Request_Size(face->face, &request) != 0) {
    mError = "FreeType cannot size " + mFontFile;
    return false;
  }
  face->ascent = static_cast<int>((face->face->size->metrics.ascender + 63) >> 6);
  mpFace = std::move(face);
  mError.clear();
  return true;
}

void FontRasterizer::drawCharacter(u8 character, int left, int top, u8 red, u8 green, u8 blue, u8* pRgb,
                                   int width, int height, int stride) const {
  if (!mpFace || character == 0) return;
  FT_Face face = mpFace->face;
  if (FT_Load_Char(face, character, FT_LOAD_RENDER) != 0) return;
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;
  const int originX = left + face->glyph->bitmap_left;
  const int originY = top + mpFace->ascent - face->glyph->bitmap_top;
  const u8 colour[3] = {red, green, blue};
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const int y = originY + static_cast<int>(row);
    if (y < 0 || y >= height) continue;
    const u8* coverageRow = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
    for (unsigned column = 0; column < bitmap.width; ++column) {
      const int x = originX + static_cast<int>(column);
      const unsigned coverage = coverageRow[column];
      if (x < 0 || x >= width || coverage == 0) continue;
      u8* pixel = pRgb + static_cast<std::ptrdiff_t>(y) * stride + x * 3;
      for (int c = 0; c < 3; ++c) {
        const u8 value = static_cast<u8>((colour[c] * coverage + 127) / 255);
        pixel[c] = std::max(pixel[c], value);
      }
    }
  }
}

}  // namespace platform
