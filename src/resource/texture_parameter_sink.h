// TextureParameterSink: what the custom texture manager needs from an effect, one
// sampler parameter set by name to a GL texture name. The effect runtime implements
// it (a parameter the effect lacks is ignored there, not here).
#pragma once

#include "framework/types.h"

class TextureParameterSink {
 public:
  virtual ~TextureParameterSink() = default;
  // The implementer is responsible for the effect being the current program
  // while it sets the value, and for restoring whichever program was current.
  virtual void setTextureParameter(const char* pName, u32 textureName) = 0;
};
