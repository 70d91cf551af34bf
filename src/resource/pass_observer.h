// IPassObserver: told when an effect pass begins and ends drawing, so that a bench
// can time each effect. Main thread only.
#pragma once

#include "framework/types.h"

class resShader;

class IPassObserver {
 public:
  virtual ~IPassObserver() = default;
  // Before the pass's states are set; the pass's draws and their reset follow.
  virtual void onPassBegin(const resShader& effect, u32 pass) = 0;
  // After the pass's states are put back.
  virtual void onPassEnd() = 0;
};
