// Screen creation and depth attachment; completeness is checked once here so a
// driver that refuses a format fails at start-up, not as a black show.
#include "screen/scene_screen.h"

#include "platform/gl.h"

#include <cstdio>

#include "framework/critical_check.h"

void CSceneScreen::createScreen(u32 width, u32 height, bool withDepth, const ScreenFormat& format) {
  mpFrameBuffer = std::make_unique<CFrmBufObj2D>();
  mpColor = std::make_unique<CTexture>();
  mpColor->createEmpty(width, height, GL_RGBA16F_ARB, GL_RGBA, format);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mpFrameBuffer->getName());
  glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, mpColor->getName(), 0);
  glFlush();
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  if (withDepth) {
    mpDepth = std::make_unique<CTexture>();
    mpDepth->createEmpty(width, height, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, format);
    restoreDepth();
  }

  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mpFrameBuffer->getName());
  const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  if (status != GL_FRAMEBUFFER_COMPLETE_EXT) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "The graphics driver refuses a %ux%u off-screen buffer%s (framebuffer status 0x%04x). "
                  "Try the Low Quality option or another resolution.",
                  width, height, withDepth ? " with depth" : "", status);
    vell::fatalExit(text);
  }
}

void CSceneScreen::attachDepth(u32 textureName) {
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, getFrameBuffer());
  glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D, textureName, 0);
  glFlush();
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void CSceneScreen::restoreDepth() { attachDepth(getDepthTexture()); }
