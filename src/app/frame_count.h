// How many frames a fixed-step run renders, so that a render farm can split a
// show it has not measured. Any thread.
#pragma once

#include "framework/types.h"

// Frame n shows startMs + floor(n * 1000 / fps) and the run goes on while that
// is not past endMs: the frames from startMs to endMs, both ends included.
inline u64 framesInRun(u32 startMs, u32 endMs, u32 framesPerSecond) {
  if (framesPerSecond == 0 || startMs > endMs) return 0;
  const u64 span = static_cast<u64>(endMs - startMs) + 1;
  return (span * framesPerSecond + 999) / 1000;
}
