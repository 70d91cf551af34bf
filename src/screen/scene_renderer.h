// CSceneRenderer: draws a line's scene into its source screen, directly or as
// several jittered renders combined by the accumulation effect, and hands the
// jitter of the sample being drawn down the scene's draw calls in the frame's
// context. Main thread.
#pragma once

#include "framework/singleton.h"
#include "framework/types.h"
#include "screen/jitter.h"

class CSceneScreen;
class IDrawable;
struct FrameContext;
class resShader;

class CSceneRenderer : public Singleton<CSceneRenderer> {
 public:
  static constexpr const char* CORE_EFFECT = "data\\shader\\core.fx";

  CSceneRenderer() = default;
  ~CSceneRenderer() override;

  // Sample counts without a jitter table (anything but 0, 2, 3, 4, 8, 16) are
  // refused with false. With a multisample screen the accumulation effect loads.
  bool initRenderer(s32 sampleCount, CSceneScreen* pMultisampleScreen);
  // The scene draws with `frame`, its jitter replaced by each sample's.
  void render(IDrawable* pScene, CSceneScreen* pTarget, f32 progress, const FrameContext& frame);
  // The fraction of each screen texture the picture covers (below 1 only when
  // screens are rounded up to powers of two); the demo manager hands it in.
  void setScreenScale(f32 u, f32 v) {
    mScreenScaleU = u;
    mScreenScaleV = v;
  }
  // Releases the accumulation effect (the renderer then draws directly).
  void shutdown();

  JitterOffset jitterOffset() const;
  s32 getSampleCount() const { return mSampleCount; }
  s32 getSampleIndex() const { return mSampleIndex; }

 private:
  s32 mSampleCount = 0;
  const JitterOffset* mpJitterTable = nullptr;
  s32 mSampleIndex = 0;
  CSceneScreen* mpMultisampleScreen = nullptr;  // borrowed from the demo manager
  resShader* mpCoreEffect = nullptr;            // one held reference
  f32 mScreenScaleU = 1.0f;
  f32 mScreenScaleV = 1.0f;
};

CSceneRenderer& sceneRenderer();
