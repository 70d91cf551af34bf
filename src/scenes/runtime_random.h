// The runtime's pseudo-random generator that every scene draws its set-up data
// from: one linear congruential sequence, never seeded, shared in set-up order,
// so every run and every machine builds the same show. Main thread only.
#pragma once

#include "framework/types.h"

// The next value, 0 .. 32767 (state = state * 214013 + 2531011; (state >> 16) & 0x7FFF).
s32 runtimeRand();
// rand() / 32767.0: a uniform value in [0, 1].
f64 runtimeUniform();
// (uniform - 0.5) * 2: a centred value in [-1, 1].
f64 runtimeCentred();

// The sequence position, for tests that replay it; the show never sets it.
u32 runtimeRandomState();
void setRuntimeRandomState(u32 state);
