// CSceneQel_loader: the loading screen — a framed bar that fills with the loading
// progress, drawn by the resource manager after every model it loads.
// Needs no renderer; main thread with the GL context current.
#pragma once

#include "demo/scene_qel_default.h"

class CSceneQel_loader : public CSceneQelDefault {
  VELL_CLASS(CSceneQel_loader, CSceneQelDefault)
 public:
  static constexpr f32 FRAME_WIDTH = 10.0f;
  static constexpr f32 FRAME_HEIGHT = 0.8f;
  static constexpr f32 GAP_WIDTH = 9.75f;
  static constexpr f32 GAP_HEIGHT = 0.65f;
  static constexpr f32 BAR_FULL_WIDTH = 9.5f;
  static constexpr f32 BAR_HEIGHT = 0.5f;

  CSceneQel_loader() = default;
  ~CSceneQel_loader() override = default;

  // Colour material on, black clear colour and the loading screen's projection.
  void update(cQelRender* pRender, f32 progress) override;
  // The white frame, its black inside and the white bar progress × 9.5 wide.
  void draw(cQelRender* pRender, f32 progress, const FrameContext& frame) override;
  void finish(cQelRender* pRender, f32 progress) override;
};
