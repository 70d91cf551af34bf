// Particle and cloud fields: every run scatters the same field, within the
// recipe's ranges, and clouds travel together from their start to their end.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "scenes/particle_cloud.h"
#include "scenes/particle_field.h"
#include "scenes/runtime_random.h"
#include "scenes/scene_particle_fields.h"

namespace {

std::unique_ptr<ParticleRecord[]> field(const ParticleFieldRecipe& recipe) {
  auto records = std::make_unique<ParticleRecord[]>(kParticleFieldSize);
  setRuntimeRandomState(1);
  generateParticleField(recipe, records.get(), kParticleFieldSize);
  return records;
}

}  // namespace

TEST(ParticleField, EveryRunScattersTheSameFieldWithinItsRanges) {
  const auto petals = field(petalFieldRecipe(false));
  const auto again = field(petalFieldRecipe(false));
  const auto shifted = field(petalFieldRecipe(true));
  for (u32 i = 0; i < kParticleFieldSize; ++i) {
    ASSERT_EQ(0, std::memcmp(&petals[i], &again[i], sizeof(ParticleRecord))) << i;
    // Petals start above the ground and fall 1.5 to 3 units; the shifted field lies in front.
    const float dy = petals[i].target[1] - petals[i].position[1];
    ASSERT_GE(petals[i].position[1], 0.0f);
    ASSERT_LE(petals[i].position[1], 8.0f);
    ASSERT_LE(dy, -1.5f + 1e-5f);
    ASSERT_GE(dy, -3.0f - 1e-5f);
    ASSERT_GE(shifted[i].position[2], 0.0f);
  }
  // Pipes share the dust's shape in their own colour.
  const auto dust = field(dustFieldRecipe());
  const auto pipe = field(pipeFieldRecipe());
  EXPECT_EQ(dust[100].position[0], pipe[100].position[0]);
  EXPECT_EQ(dust[100].target[2], pipe[100].target[2]);
  EXPECT_NE(dust[100].colour[0], pipe[100].colour[0]);
}

TEST(CloudField, CloudsTravelTogetherFourHundredUnitsAcrossTheProgress) {
  CloudRecord clouds[kCloudCount];
  resTexture* textures[kCloudCount] = {};
  setRuntimeRandomState(7);
  generateCloudField(clouds, textures);
  float a0[3], b0[3], a1[3], b1[3], end[3];
  cloudPosition(clouds[0], 0.0f, a0);
  cloudPosition(clouds[1], 0.0f, b0);
  cloudPosition(clouds[0], 0.5f, a1);
  cloudPosition(clouds[1], 0.5f, b1);
  cloudPosition(clouds[0], 1.0f, end);
  EXPECT_NEAR(b0[0] - a0[0], b1[0] - a1[0], 1e-3f);
  EXPECT_NEAR(b0[1] - a0[1], b1[1] - a1[1], 1e-4f);
  EXPECT_NEAR(a1[0] - a0[0], 200.0f, 1e-3f);
  EXPECT_EQ(end[0], clouds[0].end[0]);
  EXPECT_NEAR(end[0] - a0[0], 400.0f, 1e-3f);
  EXPECT_EQ(end[1], a0[1]);
  EXPECT_EQ(a0[2], 0.0f);
}
