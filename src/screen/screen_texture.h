// CTexture: one texture used as a colour or depth buffer of an off-screen screen.
// Its storage follows the screen format it is given and the card's texture sizes.
#pragma once

#include "framework/types.h"

// How screens store their pixels, decided once above (the demo manager, from the
// low-quality setting) and handed to every screen it creates.
struct ScreenFormat {
  bool lowQuality = false;  // 8-bit colour and unsized depth instead of 16-bit float and 24-bit depth
  bool byteColour = false;  // 8-bit colour whatever the quality: pictures already clamped to 0..1
};

class CTexture {
 public:
  CTexture();
  virtual ~CTexture();
  CTexture(const CTexture&) = delete;
  CTexture& operator=(const CTexture&) = delete;

  // Allocates storage once; false (changing nothing) when it already exists.
  bool createEmpty(u32 width, u32 height, u32 internalFormat, u32 pixelFormat, const ScreenFormat& format = {});

  u32 getName() const { return mName; }
  u32 getTarget() const { return mTarget; }
  u32 getInternalFormat() const { return mInternalFormat; }

 private:
  u32 mName = 0;
  u32 mTarget;
  u32 mInternalFormat;
};
