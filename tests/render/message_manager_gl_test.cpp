// Glyph textures: transparent black around green characters drawn from x = 24,
// upright with texture row 0 at the bottom, in the face the install scripts bring
// whatever other monospace fonts the machine has, deleted on request.
#include "render/message_manager.h"

#include "platform/gl.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/font_rasterizer.h"
#include "support/gl_test_context.h"

namespace {

std::vector<u8> readGlyph(u32 name) {
  std::vector<u8> pixels(128 * 128 * 4, 0xCD);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return pixels;
}

}  // namespace

TEST(MessageManagerGl, GlyphsAreGreenOnTransparentBlackFromX24) {
  // The program's face, as its default pattern asks for it; a machine without
  // it lacks a dependency rather than failing the glyph checks below.
  platform::FontRasterizer face;
  ASSERT_TRUE(face.open("DejaVu Sans Mono,monospace:bold", 128)) << face.error();
  ASSERT_NE(face.fontFile().find("DejaVuSansMono-Bold"), std::string::npos)
      << face.fontFile() << ": install fonts-dejavu-core (scripts/install-deps)";
  GlTestContext context;
  ASSERT_TRUE(context.ok()) << context.error();
  messageManager& manager = *messageManager::mpThis;
  manager.initialize();

  const std::vector<u8> blank = readGlyph(manager.getTextureName(0));
  for (std::size_t i = 0; i < blank.size(); i += 4) ASSERT_EQ(blank[i + 3], 0) << "pixel " << i / 4;

  const std::vector<u8> letter = readGlyph(manager.getTextureName('A'));
  int opaque = 0, fullColour = 0, lowestRow = 128, highestRow = -1;
  for (int row = 0; row < 128; ++row) {
    for (int x = 0; x < 128; ++x) {
      const u8* p = letter.data() + (row * 128 + x) * 4;
      const bool black = p[0] == 0 && p[1] == 0 && p[2] == 0;
      EXPECT_EQ(p[3], black ? 0 : 255);
      if (black) continue;
      ++opaque;
      EXPECT_GE(x, 24) << "row " << row;
      EXPECT_GE(p[1], p[0]);
      EXPECT_EQ(p[0], p[2]);
      if (p[0] == 55 && p[1] == 255) ++fullColour;
      lowestRow = std::min(lowestRow, row);
      highestRow = std::max(highestRow, row);
    }
  }
  EXPECT_GT(opaque, 500);
  EXPECT_GT(fullColour, 100);
  // Upright with row 0 at the bottom: the baseline sits above the descent, the
  // cap height reaches into the upper half, and the legs (wide) are below the apex (narrow).
  EXPECT_GT(lowestRow, 12);
  EXPECT_GT(highestRow, 96);
  auto inkSpan = [&](int row) {
    int left = 128, right = -1;
    for (int x = 0; x < 128; ++x) {
      if (letter[(row * 128 + x) * 4 + 3]) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
    return right - left;
  };
  EXPECT_GT(inkSpan(lowestRow + 2), 2 * inkSpan(highestRow - 2));

  const u32 name = manager.getTextureName('A');
  EXPECT_TRUE(glIsTexture(name));
  manager.deleteTextures();
  EXPECT_FALSE(glIsTexture(name));
  EXPECT_EQ(manager.getTextureName('A'), 0u);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
