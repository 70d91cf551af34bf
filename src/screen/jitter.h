// Sub-pixel jitter for anti-aliasing by accumulation: the offset tables per sample
// count. The projection that applies an offset lives below, in the render layer.
#pragma once

#include "framework/types.h"
#include "render/jittered_projection.h"

// The table for a sample count (0, 2, 3, 4, 8 or 16); null for any other count.
const JitterOffset* jitterTable(s32 sampleCount, s32* pEntries = nullptr);
