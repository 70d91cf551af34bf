// The column-major 4x4 product.
#include "framework/matrix4.h"

void multiplyMatrix4(const f32* a, const f32* b, f32* out) {
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      f32 sum = 0.0f;
      for (int k = 0; k < 4; ++k) {
        sum += a[k * 4 + row] * b[column * 4 + k];
      }
      out[column * 4 + row] = sum;
    }
  }
}
