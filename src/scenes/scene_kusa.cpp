// Fireflies and grass blades.
#include "scenes/scene_kusa.h"

#include "framework/critical_check.h"
#include "scenes/runtime_random.h"
#include "scenes/scene_patterns.h"

namespace {

const StrapPoint kBlade[8] = {
    {-1.8906f, 1.4554f, -5.7687f, 0.0f},    {-1.1437f, 1.2621f, -3.2089f, 0.2005f},
    {-1.0085f, 1.5188f, -1.4117f, 0.337f},  {-1.4802f, 1.9877f, -0.0409f, 0.4513f},
    {-1.9106f, 2.6575f, 1.1885f, 0.5612f},  {-1.8103f, 3.8396f, 2.1596f, 0.6761f},
    {-2.14f, 5.133f, 3.4852f, 0.8172f},     {-3.3222f, 7.1595f, 4.145f, 1.0f},
};

// points, count, ribbons, spread, point jitter, w jitter, width, length min-max,
// fade-in, fade-out, curve parameter, step, base colour, colour variation
const StrapDescriptor kBladeStraps[3] = {
    {kBlade, 8, 15, 0.3f, 0.4f, 0.0f, 8.0f, 0.5f, 0.7f, 0.5f, 0.5f, 0.0f, 0.001f,
     {0.15f, 0.156f, 0.301f, 0.2f}, {0.3f, 0.284f, 0.149f, 0.0f}},
    {kBlade, 8, 15, 0.3f, 0.4f, 0.0f, 8.0f, 0.5f, 0.7f, 0.5f, 0.5f, 0.0f, 0.001f,
     {0.35f, 0.156f, 0.1f, 0.2f}, {0.1f, 0.284f, 0.35f, 0.0f}},
    {kBlade, 8, 15, 0.3f, 0.4f, 0.0f, 8.0f, 0.5f, 0.7f, 0.5f, 0.5f, 0.0f, 0.001f,
     {0.35f, 0.156f, 0.301f, 0.2f}, {0.05f, 0.196f, 0.186f, 0.0f}},
};

}  // namespace

void generateKusaParticles(ParticleRecord* pRecords, u32 count) {
  for (u32 i = 0; i < count; ++i) {
    ParticleRecord& record = pRecords[i];
    record.position[0] = static_cast<f32>(runtimeCentred() * 6.0);
    record.position[1] = static_cast<f32>(runtimeUniform() * 2.0 * 1.5);
    record.position[2] = static_cast<f32>(runtimeCentred() * 6.0);
    for (int axis = 0; axis < 3; ++axis) {
      record.target[axis] = record.position[axis] + static_cast<f32>(runtimeUniform() - 0.5);
    }
    const f32 colour[4] = {0.5f, 0.7f, 1.0f, 0.8f};
    for (int c = 0; c < 4; ++c) {
      record.colour[c] = colour[c];
    }
    record.size = static_cast<f32>(runtimeUniform() * 22.0 + 10.0);
  }
}

void CSceneQel_kusa::init(cQelRender*) {
  mParticles[0].create("data\\shader\\lightballShader.fx", "data//texture//lightball0.bmp");
  mParticles[1].create("data\\shader\\lightballShader.fx", "data//texture//lightball1.bmp");
  generateKusaParticles(mRecords, kKusaParticleCount);
  mpStraps = std::make_unique<CStrap[]>(3);
  CRITICAL_CHECK(mpStraps, "ribbons not made");
  for (u32 i = 0; i < 3; ++i) {
    mpStraps[i].initStrap(kBladeStraps[i]);
  }
}

void CSceneQel_kusa::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  drawUnderQelCamera(pRender, frame, static_cast<u32>(getSceneIndex()), progress, AlphaTestSpan::none, 0.0f, [&] {
    const u32 half = kKusaParticleCount / 2;
    mParticles[0].drawParticles(progress, mRecords, half);
    mParticles[1].drawParticles(progress, mRecords + half, half);
    for (u32 i = 0; i < 3; ++i) {
      mpStraps[i].drawStrap(progress, 0);
    }
  });
}
