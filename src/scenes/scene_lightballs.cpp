// The light-balls burst: its balls, its four strap paths and its timing.
#include "scenes/scene_lightballs.h"

#include "platform/gl.h"

#include <string>

#include "framework/critical_check.h"
#include "render/qel_render.h"
#include "scenes/runtime_random.h"
#include "scenes/scene_patterns.h"

namespace {

const StrapPoint kSweep1[13] = {
    {0.684f, 0.0f, -0.0341f, 0.0f},          {0.4829f, 0.2745f, 3.741f, 0.0737f},
    {-0.7237f, 0.7503f, 6.0267f, 0.1247f},   {-3.6579f, 0.6984f, 9.891f, 0.219f},
    {-6.9243f, 0.9613f, 11.113f, 0.287f},    {-9.8742f, 1.3192f, 9.7405f, 0.3506f},
    {-13.4599f, 2.6761f, 5.6436f, 0.4596f},  {-16.3208f, 3.3693f, 2.579f, 0.5422f},
    {-15.9149f, 4.6121f, -1.0197f, 0.6166f}, {-15.0237f, 5.4874f, -6.0054f, 0.7165f},
    {-9.7189f, 7.4864f, -10.3031f, 0.8547f}, {-7.3152f, 8.1593f, -11.322f, 0.9071f},
    {-3.9666f, 11.3773f, -10.1899f, 1.0f},
};
const StrapPoint kSweep2[13] = {
    {0.7305f, -0.1639f, 0.5226f, 0.0f},      {4.2793f, -0.5852f, 2.691f, 0.0684f},
    {9.2331f, -0.9787f, 2.1934f, 0.15f},     {9.7881f, -1.2776f, -2.8832f, 0.2337f},
    {6.5936f, -1.4256f, -7.1251f, 0.3205f},  {3.073f, -1.6433f, -8.5948f, 0.383f},
    {-0.9486f, -1.6303f, -8.0301f, 0.4494f}, {-4.8983f, -1.8011f, -6.445f, 0.5191f},
    {-6.4246f, -1.8581f, -2.4796f, 0.5886f}, {-5.5705f, -2.941f, 3.2149f, 0.6844f},
    {-4.9333f, -4.5735f, 7.1088f, 0.7542f},  {-4.613f, -8.9458f, 12.8175f, 0.8719f},
    {-6.2801f, -14.197f, 18.3833f, 1.0f},
};
const StrapPoint kSweep3[13] = {
    {0.6338f, -0.068f, 0.1213f, 0.0f},         {-1.3588f, -2.283f, 2.3179f, 0.0442f},
    {-3.5459f, -5.5132f, 2.561f, 0.0909f},     {-6.4392f, -8.8202f, 0.9164f, 0.147f},
    {-10.9032f, -11.6484f, 0.9587f, 0.2102f},  {-16.4496f, -13.6162f, 4.4175f, 0.2918f},
    {-19.1731f, -12.0143f, 8.9096f, 0.3574f},  {-17.7678f, -8.3459f, 12.3594f, 0.4199f},
    {-16.5857f, -5.3196f, 16.13f, 0.4793f},    {-11.1581f, -2.9531f, 18.2787f, 0.5546f},
    {-5.0743f, 2.0618f, 24.8227f, 0.6771f},    {3.2345f, 10.2401f, 28.8697f, 0.8246f},
    {14.2184f, 19.9482f, 28.0803f, 1.0f},
};
const StrapPoint kSweep4[13] = {
    {0.5012f, 0.2587f, 0.2571f, 0.0f},        {0.5833f, 1.0159f, -1.5969f, 0.0504f},
    {-0.4902f, 1.4744f, -3.3623f, 0.1036f},   {-2.3552f, 1.1834f, -5.0626f, 0.1675f},
    {-3.3707f, 0.7397f, -7.7008f, 0.2395f},   {-2.6995f, 0.6775f, -11.3352f, 0.3324f},
    {-0.3153f, 0.6178f, -13.1116f, 0.4072f},  {2.405f, 0.8555f, -12.3647f, 0.4784f},
    {5.0223f, 1.3304f, -11.9321f, 0.5462f},   {6.7583f, 1.997f, -9.4331f, 0.6245f},
    {11.2261f, 2.5392f, -6.9524f, 0.7538f},   {14.466f, 2.9391f, -4.9164f, 0.8505f},
    {16.7671f, 2.767f, 0.5618f, 1.0f},
};

// points, count, ribbons, spread, point jitter, w jitter, width, length min-max,
// fade-in, fade-out, curve parameter, step, base colour, colour variation
const StrapDescriptor kSweepStraps[kLightballStraps] = {
    {kSweep1, 13, 20, 1.0f, 0.6f, 0.0f, 4.0f, 0.8f, 0.9f, 0.5f, 0.8f, 0.0f, 0.001f,
     {0.3f, 0.312f, 0.602f, 0.2f}, {0.6f, 0.588f, 0.298f, 0.0f}},
    {kSweep2, 13, 20, 1.0f, 0.6f, 0.0f, 4.0f, 0.8f, 0.9f, 0.5f, 0.8f, 0.0f, 0.001f,
     {0.7f, 0.312f, 0.2f, 0.2f}, {0.2f, 0.588f, 0.7f, 0.0f}},
    {kSweep3, 13, 20, 1.0f, 0.6f, 0.0f, 4.0f, 0.8f, 0.9f, 0.5f, 0.8f, 0.0f, 0.001f,
     {0.7f, 0.312f, 0.602f, 0.2f}, {0.1f, 0.1f, 0.1f, 0.0f}},
    {kSweep4, 13, 20, 1.0f, 0.6f, 0.0f, 3.0f, 0.8f, 0.9f, 0.5f, 0.8f, 0.0f, 0.001f,
     {0.7f, 0.312f, 0.602f, 0.2f}, {0.1f, 0.1f, 0.1f, 0.0f}},
};

}  // namespace

LightballsTiming lightballsTiming(f32 t) {
  const f32 start = 0.6f;
  const f32 span = 0.4f;
  LightballsTiming timing{};
  timing.cameraMix = t > start ? (t - start) / span : 0.0f;
  timing.drawsEffects = t > start;
  timing.intensity = t > 0.9f ? 1.0f - (t - 0.9f) / 0.1f : (t - start + 0.2f) / 0.5f;
  return timing;
}

void CSceneQel_lightballs::init(cQelRender*) {
  mpParticles = std::make_unique<CParticle[]>(kLightballSystems);
  for (u32 s = 0; s < kLightballSystems; ++s) {
    const std::string texture = "data//texture//lightball" + std::to_string(s) + ".bmp";
    mpParticles[s].create("data\\shader\\lightballShader.fx", texture.c_str());
  }
  for (ParticleRecord& record : mRecords) {
    f64 p[3];
    f64 d[3];
    for (f64& value : p) {
      value = runtimeCentred() * 10.0;
    }
    d[0] = runtimeCentred() * 200.0;
    d[1] = (runtimeUniform() - 0.2) * 2.0 * 200.0;
    d[2] = runtimeCentred() * 200.0;
    for (int axis = 0; axis < 3; ++axis) {
      record.position[axis] = static_cast<f32>(0.2 * p[axis]);
      record.target[axis] = static_cast<f32>(0.2 * (p[axis] + d[axis]));
    }
    record.colour[0] = 1.0f;
    record.colour[1] = 1.0f;
    record.colour[2] = 1.0f;
    record.colour[3] = 0.3f;
    record.size = static_cast<f32>(0.2 * 300.0);
  }
  mpStraps = std::make_unique<CStrap[]>(kLightballStraps);
  CRITICAL_CHECK(mpStraps, "ribbons not made");
  for (u32 i = 0; i < kLightballStraps; ++i) {
    mpStraps[i].initStrap(kSweepStraps[i]);
  }
}

void CSceneQel_lightballs::draw(cQelRender* pRender, f32 t, const FrameContext& frame) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  if (pRender) {
    pRender->drawSceneByIndex(static_cast<u32>(getSceneIndex()), t, frame);
  }
  const LightballsTiming timing = lightballsTiming(t);
  const f32 p = timing.cameraMix;
  const f32 eye[3] = {8.0f * p, 0.5f * p + 3.0f, 3.0f * p + 5.0f};
  const f32 centre[3] = {0.0f, 0.0f, 0.0f};
  setOwnCamera(frame, 120.0 - 40.0 * p, 16.0 / 9.0, 1.0, 1000.0, eye, centre);
  glPushMatrix();
  if (!timing.drawsEffects) {
    glPopMatrix();
    return;
  }
  const u32 perSystem = kLightballCount / kLightballSystems;
  for (u32 s = 0; s < kLightballSystems; ++s) {
    mpParticles[s].mIntensity = timing.intensity;
    mpParticles[s].drawParticles(timing.intensity, mRecords + s * perSystem, perSystem);
  }
  for (u32 i = 0; i < kLightballStraps; ++i) {
    mpStraps[i].drawStrap(p, 0);
  }
  glPopMatrix();
}
