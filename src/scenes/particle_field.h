// The particle field that several scenes scatter at set-up — 4096 records drawn
// from the runtime generator, six values each — and the draw that splits it over
// four particle systems with one texture each. Main thread.
#pragma once

#include "framework/types.h"
#include "scenes/particle.h"

inline constexpr u32 kParticleFieldSize = 4096;
inline constexpr u32 kParticleFieldSystems = 4;

// Each coordinate is (r - centre) * scale from one uniform value r: three for the
// first position, then three for the offset to the second position.
struct ParticleFieldRecipe {
  f64 positionCentre[3];
  f64 positionScale[3];
  f64 offsetCentre[3];
  f64 offsetScale[3];
  f32 colour[4];
  f32 size;
};

void generateParticleField(const ParticleFieldRecipe& recipe, ParticleRecord* pRecords, u32 count);

// Draws an equal share of the records with each system, in order, at the rate.
void drawParticleSystems(CParticle* pSystems, u32 systemCount, const ParticleRecord* pRecords, u32 count, f32 rate);
