// The blossom strap. Its points are drawn in the flower's own frame, centred on
// (7.14, -8.79); the draw's translation and scale bring the flower to the origin.
#include "scenes/scene_sakura_saku.h"

#include "platform/gl.h"

#include "framework/critical_check.h"
#include "scenes/scene_patterns.h"

namespace {

const StrapPoint kBlossom[19] = {
    {15.6421f, -8.7914f, 0.0000f, 0.0000f},
    {12.6120f, -6.8005f, 1.4772f, 0.0556f},
    {8.9058f, -7.3114f, -0.5130f, 0.1111f},
    {10.8897f, -2.3003f, -1.2990f, 0.1667f},
    {8.5396f, -0.8659f, 0.9642f, 0.2222f},
    {6.5230f, -5.2804f, 0.9642f, 0.2778f},
    {4.7671f, -4.6777f, -1.2990f, 0.3333f},
    {0.7180f, -3.4009f, -0.5130f, 0.3889f},
    {0.8035f, -6.4843f, 1.4772f, 0.4444f},
    {6.1421f, -8.7914f, 0.0000f, 0.5000f},
    {0.8035f, -11.0984f, -1.4772f, 0.5556f},
    {0.7180f, -14.1818f, 0.5130f, 0.6111f},
    {4.7671f, -12.9050f, 1.2990f, 0.6667f},
    {6.5230f, -12.3024f, -0.9642f, 0.7222f},
    {8.5396f, -16.7168f, -0.9642f, 0.7778f},
    {10.8897f, -15.2824f, 1.2990f, 0.8333f},
    {8.9058f, -10.2713f, 0.5130f, 0.8889f},
    {12.6120f, -10.7822f, -1.4772f, 0.9444f},
    {15.6421f, -8.7914f, 0.0f, 1.0000f},
};

// points, count, ribbons, spread, point jitter, w jitter, width, length min-max,
// fade-in, fade-out, curve parameter, step, base colour, colour variation
const StrapDescriptor kBlossomStrap = {kBlossom, 19, 20, 0.4f, 0.4f, 0.0f, 7.0f, 0.2f, 0.3f, 0.07f, 0.07f, 0.0f,
                                       0.001f, {0.314f, 0.871f, 0.8f, 0.3f}, {0.586f, 0.029f, 0.1f, 0.0f}};

}  // namespace

void CSceneQel_sakuraSaku::init(cQelRender*) {
  mpStrap = std::make_unique<CStrap>();
  CRITICAL_CHECK(mpStrap, "");
  mpStrap->initStrap(kBlossomStrap);
}

void CSceneQel_sakuraSaku::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  drawUnderQelCamera(pRender, frame, static_cast<u32>(getSceneIndex()), progress, AlphaTestSpan::none, 0.0f, [&] {
    glPushMatrix();
    glTranslatef(-3.03718f, 3.85832f, 0.0f);
    glScalef(0.425251f, 0.438876f, 0.42747f);
    mpStrap->drawStrap(progress, 0);
    glPopMatrix();
  });
}
