// Particle and cloud fields: what the generator scatters, replayed against values
// computed here from the runtime sequence, and where clouds sit over the progress.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "scenes/particle_cloud.h"
#include "scenes/particle_field.h"
#include "scenes/scene_kusa.h"
#include "scenes/scene_particle_fields.h"
#include "scenes/runtime_random.h"

namespace {

// An independent copy of the unseeded runtime rand(), as uniform values.
std::vector<double> uniforms(int count) {
  std::vector<double> values;
  unsigned state = 1;
  for (int i = 0; i < count; ++i) {
    state = state * 214013u + 2531011u;
    values.push_back(((state >> 16) & 0x7FFF) / 32767.0);
  }
  return values;
}

std::unique_ptr<ParticleRecord[]> field(const ParticleFieldRecipe& recipe) {
  auto records = std::make_unique<ParticleRecord[]>(kParticleFieldSize);
  setRuntimeRandomState(1);
  generateParticleField(recipe, records.get(), kParticleFieldSize);
  return records;
}

}  // namespace

TEST(ParticleField, FirstDustParticleIsTheRuntimeSequence) {
  const auto records = field(dustFieldRecipe());
  const std::vector<double> r = uniforms(6);
  const ParticleRecord& first = records[0];
  for (int axis = 0; axis < 3; ++axis) {
    const float position = static_cast<float>((r[axis] - 0.5) * 2 * 2);
    EXPECT_EQ(first.position[axis], position) << axis;
    EXPECT_EQ(first.target[axis], position + static_cast<float>((r[3 + axis] - 0.5) * 0.5)) << axis;
  }
  EXPECT_FLOAT_EQ(first.colour[0], 0.4f);
  EXPECT_FLOAT_EQ(first.colour[3], 0.3f);
  EXPECT_EQ(first.size, 10.0f);
}

TEST(ParticleField, EveryRunScattersTheSameField) {
  const auto once = field(petalFieldRecipe(false));
  const auto again = field(petalFieldRecipe(false));
  for (u32 i = 0; i < kParticleFieldSize; ++i) {
    ASSERT_EQ(0, std::memcmp(&once[i], &again[i], sizeof(ParticleRecord))) << i;
  }
}

TEST(ParticleField, PetalsStartAboveTheGroundAndFallWithinTheirRanges) {
  const auto petals = field(petalFieldRecipe(false));
  const auto shifted = field(petalFieldRecipe(true));
  const std::vector<double> r = uniforms(6);
  EXPECT_EQ(petals[0].position[1], static_cast<float>(r[1] * 2 * 4));
  EXPECT_EQ(petals[0].position[2], static_cast<float>((r[2] - 0.5) * 2 * 6));
  EXPECT_EQ(shifted[0].position[2], static_cast<float>(r[2] * 2 * 6));
  for (u32 i = 0; i < kParticleFieldSize; ++i) {
    const float dy = petals[i].target[1] - petals[i].position[1];
    ASSERT_GE(petals[i].position[1], 0.0f);
    ASSERT_LE(petals[i].position[1], 8.0f);
    ASSERT_LE(dy, -1.5f + 1e-5f);
    ASSERT_GE(dy, -3.0f - 1e-5f);
    ASSERT_GE(shifted[i].position[2], 0.0f);
    ASSERT_EQ(petals[i].size, 32.0f);
  }
}

TEST(ParticleField, PipesShareTheDustShapeInTheirOwnColour) {
  const auto dust = field(dustFieldRecipe());
  const auto pipe = field(pipeFieldRecipe());
  EXPECT_EQ(dust[100].position[0], pipe[100].position[0]);
  EXPECT_EQ(dust[100].target[2], pipe[100].target[2]);
  EXPECT_FLOAT_EQ(pipe[100].colour[0], 0.5f);
  EXPECT_FLOAT_EQ(pipe[100].colour[3], 0.5f);
}

TEST(ParticleField, FirefliesTakeSevenValuesEach) {
  ParticleRecord records[2];
  setRuntimeRandomState(1);
  generateKusaParticles(records, 2);
  const std::vector<double> r = uniforms(14);
  EXPECT_EQ(records[0].position[1], static_cast<float>(r[1] * 2 * 1.5));
  EXPECT_EQ(records[0].target[0], records[0].position[0] + static_cast<float>(r[3] - 0.5));
  EXPECT_EQ(records[0].size, static_cast<float>(r[6] * 22 + 10));
  EXPECT_EQ(records[1].position[0], static_cast<float>((r[7] - 0.5) * 2 * 6));
}

TEST(CloudField, CloudsSitAtTheirStartAtZeroAndTheirEndAtOne) {
  CloudRecord clouds[kCloudCount];
  resTexture* textures[kCloudCount] = {};
  setRuntimeRandomState(1);
  generateCloudField(clouds, textures);
  const std::vector<double> r = uniforms(9);
  for (u32 i = 0; i < kCloudCount; ++i) {
    const float dx = static_cast<float>(-200.0 + (r[i * 3] - 0.5) * 2 * 50);
    const float dy = static_cast<float>((r[i * 3 + 1] - 0.5) * 2 * 10);
    float at[3];
    cloudPosition(clouds[i], 0.0f, at);
    EXPECT_EQ(at[0], dx) << i;
    EXPECT_EQ(at[1], dy) << i;
    EXPECT_EQ(at[2], 0.0f) << i;
    cloudPosition(clouds[i], 1.0f, at);
    EXPECT_EQ(at[0], clouds[i].end[0]) << i;
    EXPECT_NEAR(at[0], dx + 400.0f, 1e-3f) << i;
    EXPECT_EQ(at[1], dy) << i;
    EXPECT_FLOAT_EQ(clouds[i].colour[3], 0.1f) << i;
    EXPECT_EQ(clouds[i].width, 300.0f);
  }
}

TEST(CloudField, CloudsKeepTheirRelativeOffsetsOnTheWay) {
  CloudRecord clouds[kCloudCount];
  resTexture* textures[kCloudCount] = {};
  setRuntimeRandomState(7);
  generateCloudField(clouds, textures);
  float a0[3], b0[3], a1[3], b1[3];
  cloudPosition(clouds[0], 0.0f, a0);
  cloudPosition(clouds[1], 0.0f, b0);
  cloudPosition(clouds[0], 0.5f, a1);
  cloudPosition(clouds[1], 0.5f, b1);
  EXPECT_NEAR(b0[0] - a0[0], b1[0] - a1[0], 1e-3f);
  EXPECT_NEAR(b0[1] - a0[1], b1[1] - a1[1], 1e-4f);
  EXPECT_NEAR(a1[0] - a0[0], 200.0f, 1e-3f);
}
