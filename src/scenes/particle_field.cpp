// Particle-field generation and the split draw.
#include "scenes/particle_field.h"

#include "platform/gl.h"

#include "scenes/runtime_random.h"

void generateParticleField(const ParticleFieldRecipe& recipe, ParticleRecord* pRecords, u32 count) {
  for (u32 i = 0; i < count; ++i) {
    ParticleRecord& record = pRecords[i];
    for (int axis = 0; axis < 3; ++axis) {
      record.position[axis] =
          static_cast<f32>((runtimeUniform() - recipe.positionCentre[axis]) * recipe.positionScale[axis]);
    }
    for (int axis = 0; axis < 3; ++axis) {
      const f32 offset = static_cast<f32>((runtimeUniform() - recipe.offsetCentre[axis]) * recipe.offsetScale[axis]);
      record.target[axis] = record.position[axis] + offset;
    }
    for (int c = 0; c < 4; ++c) {
      record.colour[c] = recipe.colour[c];
    }
    record.size = recipe.size;
  }
}

void drawParticleSystems(CParticle* pSystems, u32 systemCount, const ParticleRecord* pRecords, u32 count, f32 rate) {
  if (systemCount == 0) {
    return;
  }
  const u32 share = count / systemCount;
  glPushMatrix();
  for (u32 s = 0; s < systemCount; ++s) {
    pSystems[s].drawParticles(rate, pRecords + s * share, share);
  }
  glPopMatrix();
}
