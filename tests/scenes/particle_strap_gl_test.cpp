// Particles, clouds and straps drawn under GL: the point size and line width they
// leave, the intensity, cut cloud billboards, and ribbons built from descriptors
// (the rest of the state: the scene catalogue, which draws the sky scene).
#include <gtest/gtest.h>

#include "platform/gl.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "framework/critical_check.h"
#include "resource/res_shader.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "scenes/particle.h"
#include "scenes/particle_cloud.h"
#include "scenes/runtime_random.h"
#include "scenes/scene_stage.h"
#include "scenes/strap.h"
#include "support/fatal_text.h"

namespace {

int litPixels(const std::vector<u8>& frame) {
  int count = 0;
  for (std::size_t i = 0; i < frame.size(); i += 4) {
    if (frame[i] > 8 || frame[i + 1] > 8 || frame[i + 2] > 8) ++count;
  }
  return count;
}

void lookAtOrigin() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-0.1, 0.1, -0.1, 0.1, 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -5.0f);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::vector<ParticleRecord> grid() {
  std::vector<ParticleRecord> records;
  for (int y = -2; y <= 2; ++y) {
    for (int x = -2; x <= 2; ++x) {
      records.push_back({{x * 0.8f, y * 0.8f, 0}, {x * 0.8f, y * 0.8f, 0}, {1, 0.8f, 0.6f, 1}, 40});
    }
  }
  return records;
}

const StrapPoint kArc[4] = {{-2, -1, 0, 0}, {-1, 1, 0, 0.3f}, {1, 1, 0, 0.7f}, {2, -1, 0, 1}};

StrapDescriptor arcDescriptor() {
  return {kArc, 4, 6, 0.1f, 0.05f, 0.0f, 4.0f, 0.3f, 0.5f, 0.2f, 0.2f, 0.0f, 0.001f, {0.5f, 0.5f, 1, 1}, {0.5f, 0, 0, 0}};
}

}  // namespace

TEST(ParticleDrawing, LeavesThePointSizeAtOneScalesByIntensityAndReportsAMissingTexture) {
  SceneStage stage;
  ASSERT_TRUE(stage.ok()) << stage.error();
  const std::vector<ParticleRecord> records = grid();
  CParticle particle;
  ASSERT_TRUE(particle.create("data\\shader\\pointspriteShader.fx", "data//texture//tsubu1.bmp"));
  lookAtOrigin();
  glPointSize(7.0f);
  particle.drawParticles(0.5f, records.data(), static_cast<u32>(records.size()));
  GLfloat size = 0;
  glGetFloatv(GL_POINT_SIZE, &size);
  EXPECT_EQ(size, 1.0f);
  GLint origin = 0;
  glGetIntegerv(GL_POINT_SPRITE_COORD_ORIGIN, &origin);
  EXPECT_EQ(origin, GL_UPPER_LEFT);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_GT(litPixels(SceneStage::capture()), 50);

  CParticle balls;
  ASSERT_TRUE(balls.create("data\\shader\\lightballShader.fx", "data//texture//lightball0.bmp"));
  for (const f32 intensity : {0.0f, 1.0f}) {
    lookAtOrigin();
    balls.mIntensity = intensity;
    balls.drawParticles(0.0f, records.data(), static_cast<u32>(records.size()));
    EXPECT_EQ(litPixels(SceneStage::capture()) > 50, intensity > 0.0f) << "every sprite transparent at intensity 0";
  }
  CParticle missing;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(missing.create("data\\shader\\pointspriteShader.fx", "data//texture//nothing.bmp"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "orvane: data//texture//nothing.bmp: the particles' texture cannot be loaded: it is not found\n");
  EXPECT_NE(missing.mpShader, nullptr);
}

TEST(ParticleDrawing, DrawingWithoutTheEffectEndsAfterNamingTheFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SceneStage stage;
        if (!stage.ok()) std::exit(1);
        CParticle particle;
        particle.create("data\\shader\\nothing.fx", "data//texture//tsubu1.bmp");
        const std::vector<ParticleRecord> records = grid();
        particle.drawParticles(0.5f, records.data(), static_cast<u32>(records.size()));
      },
      testing::ExitedWithCode(vell::kFatalExitStatus),
      literalPattern("orvane: data\\shader\\nothing.fx: the particles' effect cannot be loaded: it is not found") + ".*" +
          literalPattern("Critical error:[pShader + \"\"]"));
}

TEST(ParticleDrawing, SpritesKeepTheirShareOfThePictureWhateverTheScreenSize) {
  // Sprite sizes are pixels of a 720-line picture: drawn into a screen half as
  // tall, a sprite covers a quarter of the pixels, as everything else does.
  SceneStage stage(640, 360);
  ASSERT_TRUE(stage.ok()) << stage.error();
  const ParticleRecord one = {{0, 0, 0}, {0, 0, 0}, {1, 1, 1, 1}, 80};
  const char* const kSprites[][2] = {{"data\\shader\\pointspriteShader.fx", "data//texture//tsubu1.bmp"},
                                     {"data\\shader\\lightballShader.fx", "data//texture//lightball0.bmp"},
                                     {"data\\shader\\sakuraShader.fx", "data//texture//sakura1.bmp"}};
  for (const auto& sprite : kSprites) {
    CParticle particle;
    ASSERT_TRUE(particle.create(sprite[0], sprite[1])) << sprite[0];
    int lit[2] = {0, 0};
    for (int half = 0; half < 2; ++half) {
      lookAtOrigin();
      glViewport(0, 0, 640 >> half, 360 >> half);
      particle.drawParticles(0.0f, &one, 1);
      lit[half] = litPixels(SceneStage::capture(640, 360));
    }
    glViewport(0, 0, 640, 360);
    EXPECT_GT(lit[0], 60) << sprite[0];
    EXPECT_NEAR(lit[1] * 4.0, lit[0], lit[0] * 0.35) << sprite[0] << ": " << lit[0] << " then " << lit[1] << " pixels";
  }
}

TEST(CloudDrawing, CutBillboardsScreenTheSamePictureAsWholeOnes) {
  SceneStage stage(320, 180);
  ASSERT_TRUE(stage.ok()) << stage.error();
  resTexture* textures[kCloudCount] = {};
  const char* const kFiles[kCloudCount] = {"data\\texture\\cloud2.jpg", "data\\texture\\cloud3.jpg",
                                           "data\\texture\\cloud4.jpg"};
  for (u32 i = 0; i < kCloudCount; ++i) {
    textures[i] = static_cast<resTexture*>(resourceManager::mpThis->getResource(kFiles[i], resTexture::DTI));
    ASSERT_NE(textures[i], nullptr) << kFiles[i];
  }
  CloudRecord clouds[kCloudCount];
  setRuntimeRandomState(1);
  generateCloudField(clouds, textures);
  CloudCut cuts[kCloudCount];
  float area = 0.0f;
  for (u32 i = 0; i < kCloudCount; ++i) {
    cuts[i] = cloudCut(textures[i]);
    area += (cuts[i].s1 - cuts[i].s0) * (cuts[i].t1 - cuts[i].t0) / kCloudCount;
  }
  EXPECT_LT(area, 0.7f) << "the cloud pictures are mostly black";
  // The cloud scene's own camera, over a sky that the clouds brighten.
  auto screen = [&](f32 progress, const CloudCut* pCuts) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double top = std::tan(22.5 * 3.14159265358979 / 180.0);
    glFrustum(-top * 16.0 / 9.0, top * 16.0 / 9.0, -top, top, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -150.0f);
    glClearColor(0.2f, 0.3f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawClouds(clouds, progress, pCuts);
    return SceneStage::capture(320, 180);
  };
  for (const f32 progress : {0.1f, 0.5f, 0.85f}) {
    const std::vector<u8> whole = screen(progress, nullptr);
    const std::vector<u8> cut = screen(progress, cuts);
    int largest = 0;
    int brightened = 0;
    for (std::size_t i = 0; i < whole.size(); i += 4) {
      for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(whole[i + c] - cut[i + c]));
      if (whole[i + 2] > 0.5 * 255 + 8) ++brightened;
    }
    EXPECT_LE(largest, 3) << "at " << progress;
    EXPECT_GT(brightened, 320 * 180 / 20) << "the clouds show at " << progress;
  }
  for (resTexture*& pTexture : textures) releaseResource(pTexture);
}

TEST(StrapRibbons, BothPassesDrawLeaveTheLineWidthAtOneAndFadeFactorsOfZeroGiveNoRamps) {
  SceneStage stage;
  ASSERT_TRUE(stage.ok()) << stage.error();
  CStrap strap;
  strap.initStrap(arcDescriptor());
  ASSERT_GE(strap.mpShader->getPassNum(), 2u);
  for (u32 pass = 0; pass < 2; ++pass) {
    lookAtOrigin();
    glLineWidth(3.0f);
    strap.drawStrap(0.8f, pass);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f) << pass;
    EXPECT_GT(litPixels(SceneStage::capture()), 30) << pass;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
  StrapDescriptor descriptor = arcDescriptor();
  descriptor.fadeInFactor = 0.0f;
  descriptor.fadeOutFactor = 0.0f;
  CStrap flat;
  flat.initStrap(descriptor);
  for (u32 i = 0; i < flat.getRibbonCount(); ++i) {
    EXPECT_EQ(std::make_pair(flat.getRibbon(i).fadeInSamples, flat.getRibbon(i).fadeOutSamples), std::make_pair(0, 0));
  }
  lookAtOrigin();
  flat.drawStrap(0.8f, 0);
  EXPECT_EQ(litPixels(SceneStage::capture()), 0) << "every vertex has alpha 0: additive ribbons leave black";
}

TEST(StrapRibbons, ThinnedRibbonsDrawThePictureOfEverySampleFromFarFewerVertices) {
  // Ribbons a few pixels wide over a third of the window, their samples a
  // fraction of a pixel apart, as in the show.
  constexpr int kWidth = 640;
  constexpr int kHeight = 360;
  SceneStage stage(kWidth, kHeight);
  ASSERT_TRUE(stage.ok()) << stage.error();
  StrapDescriptor descriptor = arcDescriptor();
  descriptor.ribbonCount = 40;
  descriptor.ribbonSpread = 1.5f;
  descriptor.pointJitter = 0.4f;
  descriptor.lineWidth = 6.0f;
  CStrap strap;
  strap.initStrap(descriptor);
  for (u32 pass = 0; pass < 2; ++pass) {
    lookAtOrigin();
    strap.mThinningPixels = 0.0f;
    const u32 everySample = strap.drawStrap(0.8f, pass);
    const std::vector<u8> whole = SceneStage::capture(kWidth, kHeight);
    lookAtOrigin();
    strap.mThinningPixels = kStrapThinningPixels;
    const u32 thinned = strap.drawStrap(0.8f, pass);
    const std::vector<u8> picture = SceneStage::capture(kWidth, kHeight);
    EXPECT_LT(thinned * 4, everySample) << pass;

    // Only pixels that a ribbon's edge passes within a fraction of a pixel of
    // can change; the ribbons light as many pixels, as brightly.
    const int lit = litPixels(whole);
    ASSERT_GT(lit, kWidth * kHeight / 200) << pass;
    EXPECT_NEAR(litPixels(picture), lit, lit / 50) << pass;
    long sumWhole = 0;
    long sumThinned = 0;
    int changed = 0;
    for (std::size_t i = 0; i < whole.size(); i += 4) {
      int largest = 0;
      for (int c = 0; c < 3; ++c) {
        sumWhole += whole[i + c];
        sumThinned += picture[i + c];
        largest = std::max(largest, std::abs(whole[i + c] - picture[i + c]));
      }
      if (largest > 8) ++changed;
    }
    EXPECT_NEAR(static_cast<double>(sumThinned), static_cast<double>(sumWhole), sumWhole * 0.01) << pass;
    EXPECT_LT(changed, lit / 10) << pass;
  }
}
