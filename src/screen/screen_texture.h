// CTexture: one texture used as a colour or depth buffer of an off-screen screen.
// Its storage follows the low-quality setting and the card's texture sizes.
#pragma once

#include "framework/types.h"

class CTexture {
 public:
  CTexture();
  virtual ~CTexture();
  CTexture(const CTexture&) = delete;
  CTexture& operator=(const CTexture&) = delete;

  // Allocates storage once; false (changing nothing) when it already exists.
  bool createEmpty(u32 width, u32 height, u32 internalFormat, u32 pixelFormat);

  u32 getName() const { return mName; }
  u32 getTarget() const { return mTarget; }
  u32 getInternalFormat() const { return mInternalFormat; }

 private:
  u32 mName = 0;
  u32 mTarget;
  u32 mInternalFormat;
};
