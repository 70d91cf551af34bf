// The default sub-scene drawing.
#include "demo/scene_qel_default.h"

#include "render/qel_render.h"

void CSceneQelDefault::draw(cQelRender* pRender, f32 progress, const FrameContext& frame) {
  if (pRender) {
    pRender->drawSceneByName(mName.c_str(), progress, frame);
  }
}
