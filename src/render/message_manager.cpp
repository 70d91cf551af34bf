// Glyph drawing through the platform font rasterizer and the glyph uploads; the
// one static messageManager.
#include "render/message_manager.h"

#include "platform/gl.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/vell_manager.h"
#include "platform/font_rasterizer.h"

namespace {

messageManager gMessageManager;

constexpr int kTextLeft = 24;

std::string fontPattern(const messageManager::FontDescription& font) {
  // An empty face name asks for the fixed-pitch face the install scripts bring
  // (fonts-dejavu-core), so the glyphs do not change with whatever other
  // monospace font a machine has; the system's default only stands in without it.
  std::string pattern(font.faceName, ::strnlen(font.faceName, sizeof font.faceName));
  if (pattern.empty()) pattern = (font.pitchAndFamily & 3) == 1 ? "DejaVu Sans Mono,monospace" : "sans";
  if (font.weight >= 700) pattern += ":bold";
  if (font.italic) pattern += ":italic";
  return pattern;
}

}  // namespace

messageManager::messageManager() { vell::registerManager(mpThis, this); }

messageManager::~messageManager() { vell::unregisterManager(mpThis); }

void messageManager::initialize() {
  mTextColor = 55u | 255u << 8 | 55u << 16;
  mFont.height = 128;
  mFont.weight = 700;
  mFont.italic = 0;
  const u8 red = mTextColor & 0xFF;
  const u8 green = (mTextColor >> 8) & 0xFF;
  const u8 blue = (mTextColor >> 16) & 0xFF;

  platform::FontRasterizer rasterizer;
  if (!rasterizer.open(fontPattern(mFont).c_str(), static_cast<u32>(mFont.height))) {
    // Glyphs stay blank: nothing in the show draws with them.
    std::fprintf(stderr, "orvane: glyph textures stay blank: %s\n", rasterizer.error().c_str());
  }

  const int side = static_cast<int>(GLYPH_SIZE);
  std::vector<u8> topDown(GLYPH_SIZE * GLYPH_SIZE * 3);
  std::vector<u8> rgba(GLYPH_SIZE * GLYPH_SIZE * 4);
  GLint previousBinding = 0;
  GLint previousAlignment = 4;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousBinding);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
  for (u32 c = 0; c < GLYPH_NUM; ++c) {
    Glyph& glyph = mGlyphs[c];
    glyph = Glyph{};
    glyph.pixels.assign(glyph.imageSize, 0);
    std::fill(topDown.begin(), topDown.end(), 0);
    rasterizer.drawCharacter(static_cast<u8>(c), kTextLeft, 0, red, green, blue, topDown.data(), side, side,
                             side * 3);
    // Into the bitmap's own layout: bottom row first, blue-green-red.
    for (int y = 0; y < side; ++y) {
      const u8* pSource = topDown.data() + static_cast<std::size_t>(side - 1 - y) * glyph.stride;
      u8* pTarget = glyph.pixels.data() + static_cast<std::size_t>(y) * glyph.stride;
      for (int x = 0; x < side; ++x) {
        pTarget[x * 3 + 0] = pSource[x * 3 + 2];
        pTarget[x * 3 + 1] = pSource[x * 3 + 1];
        pTarget[x * 3 + 2] = pSource[x * 3 + 0];
      }
    }
    // Texture row 0 is the bitmap's first stored (bottom) row; black is transparent.
    for (std::size_t i = 0; i < GLYPH_SIZE * GLYPH_SIZE; ++i) {
      const u8* pBgr = glyph.pixels.data() + i * 3;
      u8* pTarget = rgba.data() + i * 4;
      pTarget[0] = pBgr[2];
      pTarget[1] = pBgr[1];
      pTarget[2] = pBgr[0];
      pTarget[3] = (pBgr[0] | pBgr[1] | pBgr[2]) ? 255 : 0;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLuint name = 0;
    glGenTextures(1, &name);
    glyph.textureName = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  }
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousBinding));
  glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
}

void messageManager::deleteTextures() {
  for (Glyph& glyph : mGlyphs) {
    if (glyph.textureName) {
      const GLuint name = glyph.textureName;
      glDeleteTextures(1, &name);
    }
    glyph.textureName = 0;
  }
}
