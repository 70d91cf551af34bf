// Text as textured quads: each glyph texture holds one character drawn near its
// top-left corner (the message manager's layout), so a cell is a sub-rectangle of it.
#include "app/dev_overlay.h"

#include <GL/glew.h>

#include <algorithm>

#include "render/message_manager.h"

namespace devoverlay {

namespace {

// Where the message manager draws a character inside its 128 x 128 texture: from
// x = 24 along the top rows; texture row 0 is the picture's bottom row.
constexpr float kGlyphLeft = 24.0f;
constexpr float kGlyphSize = static_cast<float>(messageManager::GLYPH_SIZE);

}  // namespace

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
  glPushAttrib(GL_TRANSFORM_BIT | GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, viewport[2], viewport[3], 0.0, -1.0, 1.0);  // y down from the top-left
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_TEXTURE);
  glPushMatrix();
  glLoadIdentity();

  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glDepthMask(GL_FALSE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  std::size_t widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, line.size());
  const float panelRight = static_cast<float>(MARGIN * 2 + CELL_WIDTH * static_cast<int>(widest));
  const float panelBottom = static_cast<float>(MARGIN * 2 + CELL_HEIGHT * static_cast<int>(lines.size()));
  glDisable(GL_TEXTURE_2D);
  glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
  glBegin(GL_QUADS);
  glVertex2f(0.0f, 0.0f);
  glVertex2f(panelRight, 0.0f);
  glVertex2f(panelRight, panelBottom);
  glVertex2f(0.0f, panelBottom);
  glEnd();

  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  const float u0 = kGlyphLeft / kGlyphSize;
  const float u1 = (kGlyphLeft + CELL_WIDTH) / kGlyphSize;
  const float vTop = 1.0f;
  const float vBottom = 1.0f - CELL_HEIGHT / kGlyphSize;
  for (std::size_t row = 0; row < lines.size(); ++row) {
    const float top = static_cast<float>(MARGIN + CELL_HEIGHT * static_cast<int>(row));
    for (std::size_t column = 0; column < lines[row].size(); ++column) {
      u8 c = static_cast<u8>(lines[row][column]);
      if (c == ' ') continue;
      if (c < 32 || c > 126) c = '?';
      const float left = static_cast<float>(MARGIN + CELL_WIDTH * static_cast<int>(column));
      glBindTexture(GL_TEXTURE_2D, messageManager::mpThis->getTextureName(c));
      glBegin(GL_QUADS);
      glTexCoord2f(u0, vTop);
      glVertex2f(left, top);
      glTexCoord2f(u1, vTop);
      glVertex2f(left + CELL_WIDTH, top);
      glTexCoord2f(u1, vBottom);
      glVertex2f(left + CELL_WIDTH, top + CELL_HEIGHT);
      glTexCoord2f(u0, vBottom);
      glVertex2f(left, top + CELL_HEIGHT);
      glEnd();
    }
  }

  glMatrixMode(GL_TEXTURE);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();  // also the 2D texture binding, enables, blend, colour and depth mask
  glActiveTexture(static_cast<GLenum>(activeTexture));
  glUseProgram(static_cast<GLuint>(program));
}

}  // namespace devoverlay
