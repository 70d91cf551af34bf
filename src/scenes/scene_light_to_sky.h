// CSceneQel_lightToSky and CSceneQel_toTheSky: light rises to the sky — three
// braided straps climbing from the ground while the camera tilts up after them.
// The second shot shares the first one's straps and climbs higher. Main thread.
#pragma once

#include <memory>

#include "demo/scene_qel_default.h"
#include "scenes/strap.h"

class CSceneQel_lightToSky : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_lightToSky, CSceneQelDefault)
 public:
  void init(cQelRender* pRender) override;
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;

 protected:
  // The own camera moves the eye from (0, 0, 15) to eyeEnd and the look-at point
  // from (0, -2, 0) to (0, 7, 0) with the progress.
  void drawRising(cQelRender* pRender, f32 progress, const f32 eyeEnd[3], const FrameContext& frame);

  std::unique_ptr<CStrap[]> mpStraps;
};

class CSceneQel_toTheSky : public CSceneQel_lightToSky {
  VELL_CLASS(CSceneQel_toTheSky, CSceneQelDefault)
 public:
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;
};
