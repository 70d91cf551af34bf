// 4x4 matrices as OpenGL keeps them: sixteen floats, column after column.
#pragma once

#include "framework/types.h"

// out = a * b; out must not be a or b.
void multiplyMatrix4(const f32* a, const f32* b, f32* out);
