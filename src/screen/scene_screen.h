// CSceneScreen: an off-screen render target — a framebuffer with a colour texture
// and an optional depth texture, drawn into and then read by effects as textures.
#pragma once

#include <memory>

#include "framework/types.h"
#include "screen/frm_buf_obj.h"
#include "screen/screen_texture.h"

class CSceneScreen {
 public:
  CSceneScreen() = default;
  virtual ~CSceneScreen() = default;

  // Builds the framebuffer and textures. Ends the program with a message naming
  // the screen size when the driver refuses the combination.
  void createScreen(u32 width, u32 height, bool withDepth, const ScreenFormat& format = {});
  // Makes the given depth texture (or the screen's own) the depth attachment.
  void attachDepth(u32 textureName);
  void restoreDepth();

  u32 getFrameBuffer() const { return mpFrameBuffer ? mpFrameBuffer->getName() : 0; }
  u32 getColorTexture() const { return mpColor ? mpColor->getName() : 0; }
  u32 getDepthTexture() const { return mpDepth ? mpDepth->getName() : 0; }

 private:
  std::unique_ptr<CFrmBufObj2D> mpFrameBuffer;
  std::unique_ptr<CTexture> mpColor;
  std::unique_ptr<CTexture> mpDepth;
};
