// A running demo manager for GL tests: a hidden window, the shader manager, the
// real screens and effects from data/, a fixed-step clock and test scenes that
// fill their line with a colour.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "demo/demo_manager.h"
#include "demo/scene.h"
#include "demo/scene_manager.h"
#include "screen/post_effect_manager.h"
#include "sound/fixed_step_clock.h"
#include "support/gl_test_context.h"

// Clears its screen to one colour; counts what the frame cycle asks of it.
class ColourScene : public IScene {
 public:
  ColourScene(const char* name, u32 start, u32 end, std::array<float, 4> colour, s32 content = 1);
  void prepare() override {}
  void onEnter() override { ++enters; }
  void draw(f32 progress) override;
  void release() override {}
  s32 hasContentAt(u32) const override { return mContent; }

  std::array<float, 4> colour;
  int enters = 0;
  std::vector<f32> drawnAt;

 private:
  s32 mContent;
};

// Changes some of the demo manager's run options, keeping the others.
void changeRunOptions(const std::function<void(RunOptions&)>& change);

class DemoFixture {
 public:
  // The window is width x height; the letterbox follows aspectX : aspectY.
  DemoFixture(int width, int height, s32 aspectX = 16, s32 aspectY = 9, u32 samples = 0);
  ~DemoFixture();

  bool ok() const { return mOk; }
  const char* error() const { return mContext.error(); }
  CDemoSoundFixedStep& clock() { return *mpClock; }
  // Adds a scene on a line (the fixture keeps it and its manager).
  ColourScene& addScene(int line, const char* name, u32 start, u32 end, std::array<float, 4> colour);
  CPostEffectManager& postEffects() { return mPostEffects; }
  // The back buffer's pixel at (x, y), rows counted from the bottom.
  std::array<u8, 4> pixel(int x, int y) const;
  // Runs one frame at demo time t (the clock restarted there) and gives the
  // composed picture's pixel at (x, y) before the swap; zeros when no scene
  // plays at t and the frame shows nothing.
  std::array<u8, 4> pictureAt(u32 t, int x, int y);

 private:
  GlTestContext mContext;
  CDemoSoundFixedStep* mpClock = nullptr;  // owned by the demo manager
  CPostEffectManager mPostEffects;
  std::vector<std::unique_ptr<ColourScene>> mScenes;
  std::vector<std::unique_ptr<CSceneManager>> mManagers;
  bool mOk = false;
};
