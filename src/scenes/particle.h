// CParticle: draws a caller-owned array of particle records as textured point
// sprites through one effect; the effect places each sprite between the record's
// two positions by the rate it is given. Main thread, inside a frame's drawing.
#pragma once

#include "framework/types.h"

class resShader;
class resTexture;

// 44 bytes, packed in arrays: the effect sees the first position as the vertex,
// the second as the normal, the colour as the colour and the size as texture set 1.
struct ParticleRecord {
  f32 position[3];
  f32 target[3];
  f32 colour[4];
  f32 size;
};
static_assert(sizeof(ParticleRecord) == 44, "particle records are 11 packed floats");

class CParticle {
 public:
  CParticle() = default;
  virtual ~CParticle();
  CParticle(const CParticle&) = delete;
  CParticle& operator=(const CParticle&) = delete;

  // Takes one reference of the effect and of the texture; false when either is missing.
  bool create(const char* effectFile, const char* textureFile);
  // Draws `count` records once per pass of the effect; a missing effect is fatal.
  void drawParticles(f32 rate, const ParticleRecord* pRecords, u32 count);

  f32 mIntensity = 1.0f;  // multiplies every record's alpha
  resShader* mpShader = nullptr;    // one reference
  resTexture* mpTexture = nullptr;  // one reference
};
