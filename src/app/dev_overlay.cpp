// Text as textured quads: each glyph texture holds one character drawn near its
// top-left corner (the message manager's layout), so a cell is a sub-rectangle of it.
#include "app/dev_overlay.h"

#include "platform/gl.h"

#include <algorithm>

#include "render/message_manager.h"
#include "screen/screen_quad.h"

namespace devoverlay {

namespace {

constexpr float kGlyphSize = static_cast<float>(messageManager::GLYPH_SIZE);

// The part of a glyph texture that any printable character covers, in texture
// coordinates (row 0 is the picture's bottom row, as uploaded): each glyph is
// scaled from that box into one cell, so every character shares a baseline.
struct GlyphBox {
  float u0 = 0.0f, v0 = 0.0f, u1 = 1.0f, v1 = 1.0f;
};

GlyphBox printableBox(const messageManager& manager) {
  int left = messageManager::GLYPH_SIZE, right = -1, bottom = messageManager::GLYPH_SIZE, top = -1;
  for (u32 c = 33; c < 127; ++c) {
    const messageManager::Glyph& glyph = manager.getGlyph(static_cast<u8>(c));
    if (glyph.pixels.size() < glyph.imageSize) continue;
    for (u32 row = 0; row < glyph.height; ++row) {
      for (u32 x = 0; x < glyph.width; ++x) {
        const u8* pPixel = glyph.pixels.data() + row * glyph.stride + x * 3;
        if (!(pPixel[0] | pPixel[1] | pPixel[2])) continue;
        left = std::min(left, static_cast<int>(x));
        right = std::max(right, static_cast<int>(x));
        bottom = std::min(bottom, static_cast<int>(row));
        top = std::max(top, static_cast<int>(row));
      }
    }
  }
  if (right < left || top < bottom) return {};
  return {left / kGlyphSize, bottom / kGlyphSize, (right + 1) / kGlyphSize, (top + 1) / kGlyphSize};
}

// The lines' characters in cells from the top-left, each a textured quad of the
// message manager's glyph, inside the panel's state.
void drawGlyphs(const std::vector<std::string>& lines, float cellWidth, float cellHeight, float margin) {
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  // The glyphs are drawn once at start-up, so their common box is found once.
  static const messageManager* pMeasured = nullptr;
  static u32 measuredTexture = 0;
  static GlyphBox box;
  if (pMeasured != messageManager::mpThis || measuredTexture != messageManager::mpThis->getTextureName('0')) {
    pMeasured = messageManager::mpThis;
    measuredTexture = messageManager::mpThis->getTextureName('0');
    box = printableBox(*messageManager::mpThis);
  }
  const float u0 = box.u0;
  const float u1 = box.u1;
  const float vTop = box.v1;
  const float vBottom = box.v0;
  for (std::size_t row = 0; row < lines.size(); ++row) {
    const float top = margin + cellHeight * static_cast<float>(row);
    for (std::size_t column = 0; column < lines[row].size(); ++column) {
      u8 c = static_cast<u8>(lines[row][column]);
      if (c == ' ') continue;
      if (c < 32 || c > 126) c = '?';
      const float left = margin + cellWidth * static_cast<float>(column);
      glBindTexture(GL_TEXTURE_2D, messageManager::mpThis->getTextureName(c));
      glBegin(GL_QUADS);
      glTexCoord2f(u0, vTop);
      glVertex2f(left + 1, top + 1);
      glTexCoord2f(u1, vTop);
      glVertex2f(left + cellWidth - 1, top + 1);
      glTexCoord2f(u1, vBottom);
      glVertex2f(left + cellWidth - 1, top + cellHeight - 1);
      glTexCoord2f(u0, vBottom);
      glVertex2f(left + 1, top + cellHeight - 1);
      glEnd();
    }
  }
}

}  // namespace

float panelScale(int viewportWidth, int viewportHeight) {
  const float scale = std::min(static_cast<float>(viewportWidth) / 1280.0f, static_cast<float>(viewportHeight) / 720.0f);
  return std::clamp(scale, 0.5f, 4.0f);
}

void drawText(const std::vector<std::string>& lines) {
  // Before the glyphs exist there is nothing to draw with.
  if (lines.empty() || !messageManager::mpThis || messageManager::mpThis->getTextureName('0') == 0) return;
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLint program = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  GLint activeTexture = GL_TEXTURE0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);

  glUseProgram(0);
  glActiveTexture(GL_TEXTURE0);
  {
    // Also the 2D texture binding, enables, blend, colour and depth mask; y runs
    // down from the top-left.
    const ScopedOrthographic flat(
        GL_TRANSFORM_BIT | GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT | GL_DEPTH_BUFFER_BIT,
        0.0, viewport[2], viewport[3], 0.0);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const float scale = panelScale(viewport[2], viewport[3]);
    const float cellWidth = CELL_WIDTH * scale;
    const float cellHeight = CELL_HEIGHT * scale;
    const float margin = MARGIN * scale;
    std::size_t widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, line.size());
    const float panelRight = margin * 2 + cellWidth * static_cast<float>(widest);
    const float panelBottom = margin * 2 + cellHeight * static_cast<float>(lines.size());
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(panelRight, 0.0f);
    glVertex2f(panelRight, panelBottom);
    glVertex2f(0.0f, panelBottom);
    glEnd();

    drawGlyphs(lines, cellWidth, cellHeight, margin);

    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
  }
  glActiveTexture(static_cast<GLenum>(activeTexture));
  glUseProgram(static_cast<GLuint>(program));
}

devtimeline::Bar drawTimeline(const std::vector<devtimeline::Mark>& marks, u32 showEnd, u32 time) {
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  const devtimeline::Bar bar = devtimeline::layout(viewport[2], viewport[3]);
  if (bar.width <= 0 || bar.top < 0) return bar;
  GLint program = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  glUseProgram(0);
  const ScopedOrthographic flat(
      GL_TRANSFORM_BIT | GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT, 0.0, viewport[2],
      viewport[3], 0.0);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDepthMask(GL_FALSE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  const float left = static_cast<float>(bar.left);
  const float top = static_cast<float>(bar.top);
  const float bottom = static_cast<float>(bar.top + bar.height);
  const float span = static_cast<float>(bar.width - 1);
  auto rect = [](float x0, float y0, float x1, float y1) {
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
  };
  glBegin(GL_QUADS);
  glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
  rect(left, top, left + static_cast<float>(bar.width), bottom);
  const float third = static_cast<float>(bar.height) / 3.0f;
  for (const devtimeline::Mark& mark : marks) {
    const float x = left + devtimeline::fractionAt(mark.time, showEnd) * span;
    switch (mark.kind) {
      case devtimeline::MarkKind::Line0Scene:
        glColor4f(1.0f, 1.0f, 1.0f, 0.9f);
        rect(x, top, x + 1.0f, top + 2.0f * third);
        break;
      case devtimeline::MarkKind::Line1Scene:
        glColor4f(1.0f, 0.7f, 0.2f, 0.9f);
        rect(x, top + third, x + 1.0f, bottom);
        break;
      case devtimeline::MarkKind::PostEffect:
        glColor4f(0.3f, 0.9f, 1.0f, 0.9f);
        rect(x, top + third, x + 1.0f, top + 2.0f * third);
        break;
      case devtimeline::MarkKind::MusicEnd:
        glColor4f(1.0f, 0.2f, 1.0f, 1.0f);
        rect(x - 1.0f, top, x + 2.0f, bottom);
        break;
    }
  }
  const float cursor = left + devtimeline::fractionAt(time, showEnd) * span;
  glColor4f(1.0f, 0.1f, 0.1f, 1.0f);
  rect(cursor - 1.0f, top, cursor + 2.0f, bottom);
  glEnd();
  // The program is no part of the pushed state: bound again before the pops, it stays.
  glUseProgram(static_cast<GLuint>(program));
  return bar;
}

}  // namespace devoverlay
