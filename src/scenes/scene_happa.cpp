// The leaf straps: three rising spirals that open outwards, one per colour.
#include "scenes/scene_happa.h"

#include "framework/critical_check.h"
#include "scenes/scene_patterns.h"

namespace {

const StrapPoint kLeaf1[10] = {
    {0.3000f, 0.2000f, 0.0000f, 0.0000f},
    {0.4711f, 0.6444f, 0.2944f, 0.1111f},
    {0.3556f, 1.0889f, 0.7290f, 0.2222f},
    {-0.1115f, 1.5333f, 1.0608f, 0.3333f},
    {-0.8140f, 1.9778f, 1.0419f, 0.4444f},
    {-1.4826f, 2.4222f, 0.5396f, 0.5556f},
    {-1.7933f, 2.8667f, -0.3812f, 0.6667f},
    {-1.5026f, 3.3111f, -1.4511f, 0.7778f},
    {-0.5672f, 3.7556f, -2.2748f, 0.8889f},
    {0.8034f, 4.2000f, -2.4727f, 1.0000f},
};
const StrapPoint kLeaf2[9] = {
    {-0.1515f, 0.4000f, 0.2590f, 0.0000f},
    {0.0116f, 0.8000f, 0.5624f, 0.1250f},
    {0.4454f, 1.2000f, 0.6944f, 0.2500f},
    {0.9789f, 1.6000f, 0.4737f, 0.3750f},
    {1.3434f, 2.0000f, -0.1336f, 0.5000f},
    {1.2848f, 2.4000f, -0.9744f, 0.6250f},
    {0.6817f, 2.8000f, -1.7467f, 0.7500f},
    {-0.3777f, 3.2000f, -2.1039f, 0.8750f},
    {-1.5959f, 3.6000f, -1.7925f, 1.0000f},
};
const StrapPoint kLeaf3[11] = {
    {-0.0981f, 0.0000f, -0.1743f, 0.0000f},
    {0.0244f, 0.4800f, -0.4594f, 0.1000f},
    {0.4175f, 0.9600f, -0.5866f, 0.2000f},
    {0.9076f, 1.4400f, -0.3696f, 0.3000f},
    {1.2202f, 1.9200f, 0.2205f, 0.4000f},
    {1.1034f, 2.4000f, 1.0161f, 0.5000f},
    {0.4543f, 2.8800f, 1.7004f, 0.6000f},
    {-0.6055f, 3.3600f, 1.9271f, 0.7000f},
    {-1.7425f, 3.8400f, 1.4704f, 0.8000f},
    {-2.5168f, 4.3200f, 0.3429f, 0.9000f},
    {-2.5450f, 4.8000f, -1.1675f, 1.0000f},
};

// points, count, ribbons, spread, point jitter, w jitter, width, length min-max,
// fade-in, fade-out, curve parameter, step, base colour, colour variation
const StrapDescriptor kLeafStraps[3] = {
    {kLeaf1, 10, 20, 0.2f, 0.3f, 0.0f, 3.0f, 0.6f, 0.8f, 0.3f, 0.3f, 0.0f, 0.001f,
     {0.3f, 0.312f, 0.602f, 0.4f}, {0.6f, 0.588f, 0.298f, 0.0f}},
    {kLeaf2, 9, 20, 0.2f, 0.3f, 0.0f, 3.0f, 0.6f, 0.8f, 0.3f, 0.3f, 0.0f, 0.001f,
     {0.7f, 0.312f, 0.2f, 0.4f}, {0.2f, 0.588f, 0.7f, 0.0f}},
    {kLeaf3, 11, 20, 0.2f, 0.3f, 0.0f, 3.0f, 0.6f, 0.8f, 0.3f, 0.3f, 0.0f, 0.001f,
     {0.7f, 0.312f, 0.602f, 0.4f}, {0.1f, 0.1f, 0.1f, 0.0f}},
};

}  // namespace

void CSceneQel_happa::init(cQelRender*) {
  for (u32 i = 0; i < 3; ++i) {
    mpStraps[i] = std::make_unique<CStrap>();
    CRITICAL_CHECK(mpStraps[i], "ribbon not made");
    mpStraps[i]->initStrap(kLeafStraps[i]);
  }
}

void CSceneQel_happa::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  drawUnderQelCamera(pRender, frame, static_cast<u32>(getSceneIndex()), progress, AlphaTestSpan::none, 0.0f, [&] {
    for (const auto& pStrap : mpStraps) {
      pStrap->drawStrap(progress, 0);
    }
  });
}
