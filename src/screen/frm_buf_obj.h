// CFrmBufObj2D: owns one framebuffer object name for the life of a screen.
#pragma once

#include "framework/types.h"

class CFrmBufObj2D {
 public:
  CFrmBufObj2D();
  virtual ~CFrmBufObj2D();
  CFrmBufObj2D(const CFrmBufObj2D&) = delete;
  CFrmBufObj2D& operator=(const CFrmBufObj2D&) = delete;

  u32 getName() const { return mName; }

 private:
  u32 mName = 0;
};
