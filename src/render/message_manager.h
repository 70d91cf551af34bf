// messageManager: one 128 x 128 RGBA texture per 7-bit character, drawn at start-up
// in a bold fixed-pitch face, green on transparent black. Main thread with the GL
// context current. Does not: draw text (nothing in the show does) or delete the
// textures by itself; the entry calls deleteTextures at exit.
#pragma once

#include <vector>

#include "framework/types.h"
#include "framework/vell_object.h"

class messageManager : public VellObject {
  VELL_CLASS(messageManager, VellObject)
 public:
  inline static messageManager* mpThis = nullptr;
  static constexpr u32 GLYPH_NUM = 128;
  static constexpr u32 GLYPH_SIZE = 128;

  // The font request in the terms of a Windows LOGFONT (heights are cell heights).
  struct FontDescription {
    s32 height = 17;
    s32 width = 0;
    s32 escapement = 0;
    s32 orientation = 0;
    s32 weight = 400;
    u8 italic = 0;
    u8 underline = 0;
    u8 strikeOut = 0;
    u8 charSet = 128;
    u8 outPrecision = 0;
    u8 clipPrecision = 0;
    u8 quality = 0;
    u8 pitchAndFamily = 1;  // fixed pitch
    char faceName[32] = {};  // empty: DejaVu Sans Mono for fixed pitch
  };

  struct Glyph {
    u32 width = GLYPH_SIZE;
    u32 height = GLYPH_SIZE;  // rows stored bottom-up, as in a DIB
    u32 bitsPerPixel = 24;
    u32 imageSize = GLYPH_SIZE * GLYPH_SIZE * 3;
    u32 textureName = 0;
    std::vector<u8> pixels;  // blue, green, red; row 0 is the picture's bottom row
    u32 stride = GLYPH_SIZE * 3;
  };

  messageManager();
  ~messageManager() override;

  // Draws all 128 glyphs and uploads them; called once after the GL context exists.
  void initialize();
  // Called by the entry at exit: deletes the 128 glyph textures.
  void deleteTextures();

  u32 getTextureName(u8 character) const { return mGlyphs[character & 0x7F].textureName; }
  const Glyph& getGlyph(u8 character) const { return mGlyphs[character & 0x7F]; }

  FontDescription mFont;
  u32 mTextColor = 0;  // 0x00BBGGRR
  Glyph mGlyphs[GLYPH_NUM];
};
