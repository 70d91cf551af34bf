// The withering straps: five falling spirals around different points under the tree.
#include "scenes/scene_sakura_kare.h"

#include "framework/critical_check.h"
#include "scenes/scene_patterns.h"

namespace {

const StrapPoint kFall1[9] = {
    {-0.5000f, 6.0000f, 0.5000f, 0.0000f},
    {-0.5592f, 5.3427f, 1.1068f, 0.1250f},
    {-1.3090f, 4.3237f, 1.4511f, 0.2500f},
    {-2.1888f, 3.9927f, 0.8863f, 0.3750f},
    {-2.2135f, 2.7147f, -0.3817f, 0.5000f},
    {-1.0000f, 2.5500f, -1.2500f, 0.6250f},
    {0.6180f, 1.2147f, -0.6756f, 0.7500f},
    {1.1399f, 0.9927f, 1.1953f, 0.8750f},
    {-0.2275f, -0.1763f, 2.8776f, 1.0000f},
};
const StrapPoint kFall2[10] = {
    {2.0350f, 5.2937f, 1.4271f, 0.0000f},
    {3.0387f, 5.2029f, 0.5569f, 0.1111f},
    {3.2253f, 4.2368f, -0.6666f, 0.2222f},
    {2.6211f, 3.5270f, -1.6415f, 0.3333f},
    {1.6147f, 3.4362f, -1.9622f, 0.4444f},
    {0.7254f, 2.4701f, -1.5853f, 0.5556f},
    {0.3381f, 1.7603f, -0.8001f, 0.6667f},
    {0.5374f, 1.6695f, -0.0405f, 0.7778f},
    {1.1132f, 0.7035f, 0.3494f, 0.8889f},
    {1.7140f, -0.0063f, 0.2708f, 1.0000f},
};
const StrapPoint kFall3[7] = {
    {-0.8569f, 4.6997f, 2.0155f, 0.0000f},
    {-1.1159f, 3.6781f, 1.1595f, 0.1667f},
    {-0.5641f, 3.2181f, 0.2919f, 0.3333f},
    {0.5854f, 2.5720f, 0.1189f, 0.5000f},
    {1.5756f, 1.6654f, 0.9565f, 0.6667f},
    {1.6039f, 1.3664f, 2.3880f, 0.8333f},
    {0.4510f, 0.3448f, 3.4485f, 1.0000f},
};
const StrapPoint kFall4[7] = {
    {-3.0889f, 4.8476f, -2.0316f, 0.0000f},
    {-3.3272f, 4.2716f, -0.7529f, 0.1667f},
    {-2.5157f, 3.2862f, 0.0835f, 0.3333f},
    {-1.4982f, 2.4848f, -0.0776f, 0.5000f},
    {-1.1076f, 1.7428f, -0.8833f, 0.6667f},
    {-1.4842f, 0.7038f, -1.5444f, 0.8333f},
    {-2.1098f, 0.1703f, -1.5899f, 1.0000f},
};
const StrapPoint kFall5[9] = {
    {0.6874f, 6.5431f, -0.3534f, 0.0000f},
    {1.2249f, 5.6446f, 0.0119f, 0.1250f},
    {0.9613f, 4.6681f, 0.9432f, 0.2500f},
    {-0.3263f, 4.0171f, 1.0990f, 0.3750f},
    {-1.1745f, 2.8011f, -0.2934f, 0.5000f},
    {-0.0941f, 2.3757f, -1.9359f, 0.6250f},
    {2.1887f, 0.9536f, -1.6343f, 0.7500f},
    {3.0302f, 0.7098f, 0.8682f, 0.8750f},
    {0.9207f, -0.8649f, 2.9704f, 1.0000f},
};

// points, count, ribbons, spread, point jitter, w jitter, width, length min-max,
// fade-in, fade-out, curve parameter, step, base colour, colour variation
const StrapDescriptor kFallStraps[5] = {
    {kFall1, 9, 40, 0.6f, 0.5f, 0.0f, 3.5f, 0.5f, 0.7f, 0.5f, 0.8f, 0.0f, 0.001f,
     {0.15f, 0.156f, 0.301f, 0.2f}, {0.3f, 0.284f, 0.149f, 0.0f}},
    {kFall2, 10, 30, 0.3f, 0.2f, 0.0f, 4.0f, 0.5f, 0.7f, 0.5f, 0.8f, 0.0f, 0.001f,
     {0.15f, 0.156f, 0.301f, 0.2f}, {0.3f, 0.284f, 0.149f, 0.0f}},
    {kFall3, 7, 30, 0.4f, 0.3f, 0.0f, 5.0f, 0.5f, 0.7f, 0.5f, 0.5f, 0.0f, 0.001f,
     {0.25f, 0.156f, 0.1f, 0.2f}, {0.1f, 0.284f, 0.35f, 0.0f}},
    {kFall4, 7, 40, 0.3f, 0.2f, 0.0f, 7.0f, 0.5f, 0.7f, 0.5f, 0.5f, 0.0f, 0.001f,
     {0.25f, 0.17f, 0.2f, 0.2f}, {0.1f, 0.1f, 0.1f, 0.0f}},
    {kFall5, 9, 40, 0.4f, 0.3f, 0.0f, 6.0f, 0.7f, 0.9f, 0.5f, 0.8f, 0.0f, 0.001f,
     {0.15f, 0.156f, 0.301f, 0.2f}, {0.3f, 0.284f, 0.149f, 0.0f}},
};

}  // namespace

void CSceneQel_SakuraKare::init(cQelRender*) {
  mpStraps = std::make_unique<CStrap[]>(5);
  CRITICAL_CHECK(mpStraps, "ribbons not made");
  for (u32 i = 0; i < 5; ++i) {
    mpStraps[i].initStrap(kFallStraps[i]);
  }
}

void CSceneQel_SakuraKare::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  drawUnderQelCamera(pRender, frame, static_cast<u32>(getSceneIndex()), progress, AlphaTestSpan::none, 0.0f, [&] {
    for (u32 i = 0; i < 5; ++i) {
      mpStraps[i].drawStrap(progress, 0);
    }
  });
}
