// The greetings strap and its descriptor.
#include "scenes/scene_greetz.h"

#include "framework/critical_check.h"
#include "scenes/scene_patterns.h"

namespace {

const StrapPoint kGreetzPoints[10] = {
    {0.0f, 0.0f, 0.0f, 0.0f},
    {2.9765f, 2.1767f, 4.9379f, 0.0625f},
    {1.1938f, 0.4237f, 5.5709f, 0.1875f},
    {2.0195f, 0.8942f, 5.4576f, 0.3125f},
    {2.1549f, 2.9996f, 4.7365f, 0.4375f},
    {0.0f, 2.632f, 5.3198f, 0.5625f},
    {2.413f, 1.533f, 4.026f, 0.6875f},
    {0.2729f, 0.9119f, 3.9201f, 0.8125f},
    {2.8867f, 0.2774f, 4.9112f, 0.9375f},
    {0.8867f, 4.2774f, 2.9112f, 1.0f},
};

// points, count, ribbons, spread, point jitter, w jitter, width, length min-max,
// fade-in, fade-out, curve parameter, step, base colour, colour variation
const StrapDescriptor kGreetzStrap = {kGreetzPoints, 10, 10, 0.1f, 0.03f, 0.0f, 6.0f, 0.1f, 0.25f, 0.1f, 0.25f,
                                      0.0f, 0.001f, {0.3f, 0.312f, 0.602f, 0.4f}, {0.0f, 0.0f, 0.0f, 0.0f}};

}  // namespace

void CSceneQel_greetz::init(cQelRender*) {
  mpStrap = std::make_unique<CStrap>();
  CRITICAL_CHECK(mpStrap, "");
  mpStrap->initStrap(kGreetzStrap);
}

void CSceneQel_greetz::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  drawUnderQelCamera(pRender, frame, static_cast<u32>(getSceneIndex()), progress, AlphaTestSpan::qelScene, 0.001f,
                     [&] { mpStrap->drawStrap(progress, 1); });
}
