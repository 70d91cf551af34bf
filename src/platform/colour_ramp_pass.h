// ColourRampPass: puts a 256-entry colour ramp (a display gamma ramp) on the
// picture itself, by copying a rectangle of the current framebuffer and drawing
// it back through the ramp. The display's own ramp is never touched. Main thread,
// with the GL context current; restores every GL state it changes.
#pragma once

#include "framework/types.h"

namespace platform {

class ColourRampPass {
 public:
  // `ramp` holds 256 entries of 0..65535 per channel, as a display ramp does.
  ColourRampPass(const u16* red, const u16* green, const u16* blue);
  ~ColourRampPass();
  ColourRampPass(const ColourRampPass&) = delete;
  ColourRampPass& operator=(const ColourRampPass&) = delete;

  // Maps every pixel of the rectangle (0, 0, width, height) of the framebuffer
  // being drawn: channel value i / 255 becomes ramp[i] / 65535. False when GL
  // could not build the pass (the picture is then left as it was).
  bool apply(int width, int height);

 private:
  bool prepare(int width, int height);
  void release();

  u8 mTable[256 * 3];  // the ramp as 8-bit RGB texels
  u32 mProgram = 0;
  u32 mRampTexture = 0;
  u32 mPictureTexture = 0;
  int mTextureWidth = 0;
  int mTextureHeight = 0;
  bool mFailed = false;
};

}  // namespace platform
