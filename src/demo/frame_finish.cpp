// The exit fade's quad and volume, and the picture gamma's ramp pass. All GL state
// they change is put back.
#include "demo/frame_finish.h"

#include "platform/gl.h"

#include <cmath>

#include "platform/colour_ramp_pass.h"
#include "platform/gamma_ramp.h"
#include "screen/screen_quad.h"
#include "sound/demo_sound.h"

bool ExitFade::step(u32 now, IDemoSound* pSound) {
  if (!mStarted) {
    mStarted = true;
    mStart = now;
  }
  const u32 elapsed = now - mStart;
  const float f = 1.0f - static_cast<float>(elapsed) / static_cast<float>(MILLISECONDS);
  if (f < 0.0f) {
    return false;
  }
  if (pSound) {
    pSound->setVolume(std::sqrt(f));
  }

  const ScopedOrthographic flat(GL_ALL_ATTRIB_BITS, 0.0, 1.0, 0.0, 1.0);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f - f * f);
  glBegin(GL_TRIANGLE_STRIP);
  glVertex2f(0.0f, 1.0f);
  glVertex2f(0.0f, 0.0f);
  glVertex2f(1.0f, 1.0f);
  glVertex2f(1.0f, 0.0f);
  glEnd();
  return true;
}

PictureGamma::PictureGamma() = default;

PictureGamma::~PictureGamma() = default;

void PictureGamma::set(f32 gamma) {
  mpPass.reset();
  if (clampGamma(gamma) == 1.0f) return;
  const GammaRamp ramp = computeGammaRamp(gamma);
  mpPass = std::make_unique<platform::ColourRampPass>(ramp.red, ramp.green, ramp.blue);
}

void PictureGamma::apply(int width, int height) {
  if (mpPass) mpPass->apply(width, height);
}
