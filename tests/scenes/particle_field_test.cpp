// Particle and cloud fields: every run scatters the same field, within the
// recipe's ranges, and clouds travel together from their start to their end; a
// cloud's cut leaves out only what samples black.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

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

// A linearly filtered sample of an RGB picture that repeats, as the card's filter
// takes it: the two texels either side of s * size - 0.5 on each axis.
bool samplesBlack(const std::vector<u8>& rgb, int width, int height, double s, double t) {
  const double u = s * width - 0.5;
  const double v = t * height - 0.5;
  const int x = static_cast<int>(std::floor(u));
  const int y = static_cast<int>(std::floor(v));
  for (int dy = 0; dy < 2; ++dy) {
    for (int dx = 0; dx < 2; ++dx) {
      const int tx = ((x + dx) % width + width) % width;
      const int ty = ((y + dy) % height + height) % height;
      const u8* texel = &rgb[(static_cast<std::size_t>(ty) * width + tx) * 3];
      if (texel[0] | texel[1] | texel[2]) return false;
    }
  }
  return true;
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

TEST(CloudCut, LeavesOutOnlyWhatEveryLinearSampleReadsAsBlack) {
  // One lit texel at (5, 2) and one at (9, 4) of a 16 x 8 picture: the cut spans
  // texels 4 to 10 and 1 to 5, the half texel a sample reaches past them and half
  // a texel more for rounding.
  std::vector<u8> rgb(16 * 8 * 3, 0);
  rgb[(2 * 16 + 5) * 3 + 1] = 1;
  rgb[(4 * 16 + 9) * 3 + 2] = 200;
  CloudCut cut = cloudCut(rgb.data(), 16, 8, 3);
  EXPECT_FLOAT_EQ(cut.s0, 4.0f / 16);
  EXPECT_FLOAT_EQ(cut.s1, 11.0f / 16);
  EXPECT_FLOAT_EQ(cut.t0, 1.0f / 8);
  EXPECT_FLOAT_EQ(cut.t1, 6.0f / 8);

  // RGBA: alpha alone does not light a texel.
  std::vector<u8> rgba(4 * 4 * 4, 0);
  rgba[(1 * 4 + 2) * 4 + 3] = 255;
  cut = cloudCut(rgba.data(), 4, 4, 4);
  EXPECT_FALSE(cut.s0 < cut.s1) << "an all-black texture is not drawn";
  rgba[(1 * 4 + 2) * 4 + 0] = 7;
  cut = cloudCut(rgba.data(), 4, 4, 4);
  EXPECT_TRUE(cut.s0 < cut.s1 && cut.t0 < cut.t1);

  // A lit texel in the first or last column or row: the repeat blends it into
  // both ends, so that axis keeps the whole square.
  std::vector<u8> edge(8 * 8 * 3, 0);
  edge[(3 * 8 + 7) * 3] = 50;
  cut = cloudCut(edge.data(), 8, 8, 3);
  EXPECT_EQ(std::make_pair(cut.s0, cut.s1), std::make_pair(0.0f, 1.0f));
  EXPECT_LT(cut.t1 - cut.t0, 1.0f);

  // Nothing to cut from (no pixels, a pixel size it does not read, no texture): the
  // whole square.
  for (const CloudCut& whole : {cloudCut(nullptr, 8, 8, 3), cloudCut(edge.data(), 8, 8, 2),
                                cloudCut(static_cast<const resTexture*>(nullptr))}) {
    EXPECT_EQ(std::make_pair(whole.s0, whole.s1), std::make_pair(0.0f, 1.0f));
    EXPECT_EQ(std::make_pair(whole.t0, whole.t1), std::make_pair(0.0f, 1.0f));
  }

  // Soft blobs in random places: every sample outside the cut is black, and the cut
  // is no wider than the lit texels plus two on each side.
  std::mt19937 random(7);
  for (int picture = 0; picture < 40; ++picture) {
    const int width = 8 << (picture % 3);
    const int height = 8 << (picture % 2);
    std::vector<u8> blob(static_cast<std::size_t>(width) * height * 3, 0);
    const int cx = static_cast<int>(random() % width);
    const int cy = static_cast<int>(random() % height);
    const int r = 1 + static_cast<int>(random() % 3);
    for (int y = std::max(cy - r, 0); y <= std::min(cy + r, height - 1); ++y) {
      for (int x = std::max(cx - r, 0); x <= std::min(cx + r, width - 1); ++x) {
        if (random() % 3) blob[(static_cast<std::size_t>(y) * width + x) * 3 + random() % 3] = 1 + random() % 255;
      }
    }
    cut = cloudCut(blob.data(), static_cast<u32>(width), static_cast<u32>(height), 3);
    const int steps = 8 * std::max(width, height);
    for (int j = 0; j <= steps; ++j) {
      for (int i = 0; i <= steps; ++i) {
        const double s = static_cast<double>(i) / steps;
        const double t = static_cast<double>(j) / steps;
        const bool outside = s < cut.s0 || s > cut.s1 || t < cut.t0 || t > cut.t1;
        if (outside) ASSERT_TRUE(samplesBlack(blob, width, height, s, t)) << "picture " << picture << " at " << s << ", " << t;
      }
    }
    if (cut.s0 > 0.0f && cut.s1 < 1.0f) EXPECT_LE((cut.s1 - cut.s0) * width, 2 * r + 3) << picture;
  }
}
