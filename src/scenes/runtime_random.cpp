// The shared generator. It starts where an unseeded C runtime starts (state 1).
#include "scenes/runtime_random.h"

namespace {
u32 gState = 1;
}

s32 runtimeRand() {
  gState = gState * 214013u + 2531011u;
  return static_cast<s32>((gState >> 16) & 0x7FFFu);
}

f64 runtimeUniform() { return runtimeRand() / 32767.0; }

f64 runtimeCentred() { return (runtimeUniform() - 0.5) * 2.0; }

u32 runtimeRandomState() { return gState; }

void setRuntimeRandomState(u32 state) { gState = state; }
