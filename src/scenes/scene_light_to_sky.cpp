// The rising straps: three helices a third of a turn apart, narrowing as they climb.
#include "scenes/scene_light_to_sky.h"

#include "platform/gl.h"

#include "framework/critical_check.h"
#include "render/qel_render.h"
#include "scenes/scene_patterns.h"

namespace {

const StrapPoint kRise1[21] = {
    {3.2000f, -4.0000f, 0.0000f, 0.0000f},
    {2.5241f, -3.2000f, 1.8339f, 0.0500f},
    {0.9394f, -2.4000f, 2.8912f, 0.1000f},
    {-0.9147f, -1.6000f, 2.8151f, 0.1500f},
    {-2.3300f, -0.8000f, 1.6928f, 0.2000f},
    {-2.8000f, 0.0000f, 0.0000f, 0.2500f},
    {-2.2005f, 0.8000f, -1.5988f, 0.3000f},
    {-0.8158f, 1.6000f, -2.5108f, 0.3500f},
    {0.7911f, 2.4000f, -2.4347f, 0.4000f},
    {2.0064f, 3.2000f, -1.4577f, 0.4500f},
    {2.4000f, 4.0000f, 0.0f, 0.5000f},
    {1.8769f, 4.8000f, 1.3637f, 0.5500f},
    {0.6922f, 5.6000f, 2.1304f, 0.6000f},
    {-0.6675f, 6.4000f, 2.0543f, 0.6500f},
    {-1.6828f, 7.2000f, 1.2226f, 0.7000f},
    {-2.0000f, 8.0000f, 0.0000f, 0.7500f},
    {-1.5533f, 8.8000f, -1.1285f, 0.8000f},
    {-0.5686f, 9.6000f, -1.7499f, 0.8500f},
    {0.5439f, 10.4000f, -1.6739f, 0.9000f},
    {1.3591f, 11.2000f, -0.9875f, 0.9500f},
    {1.6000f, 12.0000f, 0.0f, 1.0000f},
};
const StrapPoint kRise2[21] = {
    {-1.6000f, -4.0000f, 2.7713f, 0.0000f},
    {-2.8503f, -3.2000f, 1.2690f, 0.0500f},
    {-2.9736f, -2.4000f, -0.6321f, 0.1000f},
    {-1.9806f, -1.6000f, -2.1997f, 0.1500f},
    {-0.3010f, -0.8000f, -2.8642f, 0.2000f},
    {1.4000f, 0.0000f, -2.4249f, 0.2500f},
    {2.4848f, 0.8000f, -1.1063f, 0.3000f},
    {2.5823f, 1.6000f, 0.5489f, 0.3500f},
    {1.7130f, 2.4000f, 1.9025f, 0.4000f},
    {0.2592f, 3.2000f, 2.4664f, 0.4500f},
    {-1.2000f, 4.0000f, 2.0785f, 0.5000f},
    {-2.1194f, 4.8000f, 0.9436f, 0.5500f},
    {-2.1911f, 5.6000f, -0.4657f, 0.6000f},
    {-1.4453f, 6.4000f, -1.6052f, 0.6500f},
    {-0.2174f, 7.2000f, -2.0686f, 0.7000f},
    {1.0000f, 8.0000f, -1.7321f, 0.7500f},
    {1.7540f, 8.8000f, -0.7809f, 0.8000f},
    {1.7998f, 9.6000f, 0.3826f, 0.8500f},
    {1.1777f, 10.4000f, 1.3079f, 0.9000f},
    {0.1756f, 11.2000f, 1.6708f, 0.9500f},
    {-0.8000f, 12.0000f, 1.3856f, 1.0000f},
};
const StrapPoint kRise3[21] = {
    {-1.6000f, -4.0000f, -2.7713f, 0.0000f},
    {0.3261f, -3.2000f, -3.1029f, 0.0500f},
    {2.0342f, -2.4000f, -2.2592f, 0.1000f},
    {2.8953f, -1.6000f, -0.6154f, 0.1500f},
    {2.6310f, -0.8000f, 1.1714f, 0.2000f},
    {1.4000f, 0.0000f, 2.4249f, 0.2500f},
    {-0.2843f, 0.8000f, 2.7051f, 0.3000f},
    {-1.7665f, 1.6000f, 1.9619f, 0.3500f},
    {-2.5041f, 2.4000f, 0.5323f, 0.4000f},
    {-2.2656f, 3.2000f, -1.0087f, 0.4500f},
    {-1.2000f, 4.0000f, -2.0785f, 0.5000f},
    {0.2425f, 4.8000f, -2.3073f, 0.5500f},
    {1.4989f, 5.6000f, -1.6646f, 0.6000f},
    {2.1128f, 6.4000f, -0.4491f, 0.6500f},
    {1.9002f, 7.2000f, 0.8460f, 0.7000f},
    {1.0000f, 8.0000f, 1.7321f, 0.7500f},
    {-0.2007f, 8.8000f, 1.9095f, 0.8000f},
    {-1.2312f, 9.6000f, 1.3674f, 0.8500f},
    {-1.7215f, 10.4000f, 0.3659f, 0.9000f},
    {-1.5348f, 11.2000f, -0.6833f, 0.9500f},
    {-0.8000f, 12.0000f, -1.3856f, 1.0000f},
};

// points, count, ribbons, spread, point jitter, w jitter, width, length min-max,
// fade-in, fade-out, curve parameter, step, base colour, colour variation
const StrapDescriptor kRiseStraps[3] = {
    {kRise1, 21, 25, 0.4f, 0.35f, 0.0f, 3.5f, 0.25f, 0.45f, 0.2f, 0.5f, 0.0f, 0.001f,
     {0.3f, 0.45f, 0.9f, 0.3f}, {0.4f, 0.3f, 0.1f, 0.0f}},
    {kRise2, 21, 25, 0.4f, 0.35f, 0.0f, 3.5f, 0.25f, 0.45f, 0.2f, 0.5f, 0.0f, 0.001f,
     {0.8f, 0.5f, 0.3f, 0.3f}, {0.2f, 0.3f, 0.4f, 0.0f}},
    {kRise3, 21, 25, 0.4f, 0.35f, 0.0f, 3.5f, 0.25f, 0.45f, 0.2f, 0.5f, 0.0f, 0.001f,
     {0.6f, 0.5f, 0.9f, 0.3f}, {0.3f, 0.3f, 0.1f, 0.0f}},
};

}  // namespace

void CSceneQel_lightToSky::init(cQelRender*) {
  mpStraps = std::make_unique<CStrap[]>(3);
  CRITICAL_CHECK(mpStraps, "ribbons not made");
  for (u32 i = 0; i < 3; ++i) {
    mpStraps[i].initStrap(kRiseStraps[i]);
  }
}

void CSceneQel_lightToSky::drawRising(cQelRender* pRender, f32 progress, const f32 eyeEnd[3],
                                      const FrameContext& frame) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  if (pRender) {
    pRender->drawSceneByIndex(static_cast<u32>(getSceneIndex()), progress, frame);
  }
  const f32 eyeStart[3] = {0.0f, 0.0f, 15.0f};
  const f32 centreStart[3] = {0.0f, -2.0f, 0.0f};
  const f32 centreEnd[3] = {0.0f, 7.0f, 0.0f};
  f32 eye[3];
  f32 centre[3];
  for (int axis = 0; axis < 3; ++axis) {
    eye[axis] = eyeStart[axis] + (eyeEnd[axis] - eyeStart[axis]) * progress;
    centre[axis] = centreStart[axis] + (centreEnd[axis] - centreStart[axis]) * progress;
  }
  setOwnCamera(frame, 60.0, 16.0 / 9.0, 1.0, 1000.0, eye, centre);
  glPushMatrix();
  for (u32 i = 0; i < 3; ++i) {
    mpStraps[i].drawStrap(progress, 0);
  }
  glPopMatrix();
}

void CSceneQel_lightToSky::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  const f32 eyeEnd[3] = {3.0f, -1.0f, 12.0f};
  drawRising(pRender, progress, eyeEnd, frame);
}

void CSceneQel_toTheSky::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  const f32 eyeEnd[3] = {3.0f, 5.0f, 12.0f};
  drawRising(pRender, progress, eyeEnd, frame);
}
