// drawScreenQuad: the unit-square quad every full-screen pass draws, with texture
// coordinates up to the screen UV scale.
#pragma once

#include "framework/types.h"

void drawScreenQuad(f32 u, f32 v);
