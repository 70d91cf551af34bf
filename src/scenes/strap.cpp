// Strap ribbons: random variation at set-up; per frame the head, the fade ramps
// and the strip thinned to what the window resolves.
#include "scenes/strap.h"

#include "platform/gl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "framework/matrix4.h"
#include "resource/current_effect.h"
#include "resource/res_shader.h"
#include "resource/resource_manager.h"
#include "resource/shader_manager.h"
#include "scenes/runtime_random.h"

CStrap::~CStrap() { releaseResource(mpShader); }

void CStrap::initStrap(const StrapDescriptor& d) {
  mRibbonCount = d.ribbonCount;
  mpRibbons = std::make_unique<StrapRibbon[]>(d.ribbonCount);
  std::vector<StrapPoint> points(d.pointCount);

  for (u32 r = 0; r < d.ribbonCount; ++r) {
    StrapRibbon& ribbon = mpRibbons[r];
    f64 offset[3];
    for (f64& value : offset) {
      value = runtimeCentred() * d.ribbonSpread;
    }
    for (u32 i = 0; i < d.pointCount; ++i) {
      f64 jitter[3];
      for (f64& value : jitter) {
        value = runtimeCentred() * d.pointJitter;
      }
      const f64 w = runtimeUniform();
      const StrapPoint& p = d.pPoints[i];
      points[i] = {static_cast<f32>(p.x + offset[0] + jitter[0]), static_cast<f32>(p.y + offset[1] + jitter[1]),
                   static_cast<f32>(p.z + offset[2] + jitter[2]), static_cast<f32>(p.w + w * d.parameterJitter)};
    }
    if (d.pointCount > 0) {
      points.front().w = 0.0f;
      points.back().w = 1.0f;
    }
    ribbon.buildPath(points.data(), d.pointCount, d.curveParameter, d.step);

    ribbon.lineWidth = static_cast<f32>(runtimeUniform() * d.lineWidth);
    const f64 shade = runtimeUniform();
    for (int c = 0; c < 4; ++c) {
      ribbon.colour[c] = static_cast<f32>(d.baseColour[c] + shade * d.colourVariation[c]);
    }
    const f64 s2 = runtimeUniform();
    const f64 span = std::max(0.0, (static_cast<f64>(d.lengthMaximum) - d.lengthMinimum) * s2);
    ribbon.length = static_cast<s32>((d.lengthMinimum + span) / d.step);
    ribbon.fadeInSamples = static_cast<s32>(s2 * d.fadeInFactor / d.step);
    ribbon.fadeOutSamples = static_cast<s32>(s2 * d.fadeOutFactor / d.step);
    // A count of 0 never takes its ramp, so its rate is never used; keep it finite.
    ribbon.fadeInRate = ribbon.fadeInSamples ? 1.0f / static_cast<f32>(ribbon.fadeInSamples) : 0.0f;
    ribbon.fadeOutRate = ribbon.fadeOutSamples ? 1.0f / static_cast<f32>(ribbon.fadeOutSamples) : 0.0f;
  }

  releaseResource(mpShader);
  mpShader = static_cast<resShader*>(resourceManager::mpThis->getResource(kStrapEffectFile, resShader::DTI));
  // Said now: drawing the ribbons without their effect stops the show.
  if (!mpShader) {
    std::fprintf(stderr, "orvane: %s: the ribbons' effect cannot be loaded: it %s\n", kStrapEffectFile,
                 resourceManager::mpThis->lastFailure().c_str());
  }
}

s32 ribbonTail(s32 head, s32 length) { return std::max(head - length, 0); }

f32 rampAlpha(const StrapRibbon& ribbon, s32 j, s32 head, s32 tail, f32 alpha) {
  if (j > head - ribbon.fadeInSamples) {
    return alpha + ribbon.fadeInRate;
  }
  if (j < tail + ribbon.fadeOutSamples) {
    return alpha - ribbon.fadeOutRate;
  }
  return alpha;
}

namespace {

// A chord stands for at most this many samples, so that the colour ramp and the
// shimmer along it stay spread as they were.
constexpr u32 kLongestThinnedRun = 64;

enum class Ramp { in, flat, out };

Ramp rampOf(const StrapRibbon& ribbon, s32 j, s32 head, s32 tail) {
  if (j > head - ribbon.fadeInSamples) return Ramp::in;
  if (j < tail + ribbon.fadeOutSamples) return Ramp::out;
  return Ramp::flat;
}

// Object space to window pixels with the matrices and viewport the ribbons are
// drawn with.
struct WindowProjection {
  f32 m[16];  // column-major, projection times model-view
  f32 x, y, halfWidth, halfHeight;

  static WindowProjection current() {
    GLfloat projection[16];
    GLfloat modelView[16];
    GLint viewport[4];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    glGetIntegerv(GL_VIEWPORT, viewport);
    WindowProjection result{};
    multiplyMatrix4(projection, modelView, result.m);
    result.halfWidth = static_cast<f32>(viewport[2]) * 0.5f;
    result.halfHeight = static_cast<f32>(viewport[3]) * 0.5f;
    result.x = static_cast<f32>(viewport[0]) + result.halfWidth;
    result.y = static_cast<f32>(viewport[1]) + result.halfHeight;
    return result;
  }

  StripPoint operator()(const f32* p) const {
    const f32 w = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
    StripPoint result;
    // Near the eye's plane a position is meaningless in pixels; such vertices
    // and their neighbours are all drawn.
    if (!(w > 1e-4f)) {
      result.valid = false;
      return result;
    }
    const f32 cx = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12];
    const f32 cy = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
    result.x = x + halfWidth * cx / w;
    result.y = y + halfHeight * cy / w;
    result.valid = std::isfinite(result.x) && std::isfinite(result.y);
    return result;
  }
};

}  // namespace

void markRampTurns(const StrapRibbon& ribbon, s32 head, s32 tail, StripPoint* pStrip) {
  for (s32 j = head; j >= tail; --j) {
    const Ramp ramp = rampOf(ribbon, j, head, tail);
    pStrip[head - j + 1].keep = j == head || (j > tail && ramp != rampOf(ribbon, j - 1, head, tail)) ||
                                (j < head && ramp != rampOf(ribbon, j + 1, head, tail));
  }
}

u32 CStrap::drawStrap(f32 progress, u32 pass) {
  resShader* pShader = mpShader;
  const CurrentEffect current(pShader);
  pShader->setParameter("TIME_RATE", progress);
  pShader->setStateMatrix("shWorldMat", state_matrix::kModelView | state_matrix::kIdentity);
  pShader->setStateMatrix("shViewMat", state_matrix::kModelView | state_matrix::kIdentity);
  pShader->setStateMatrix("shVProjMat", state_matrix::kModelViewProjection);
  shaderManager::mpThis->setPass(pass);
  const WindowProjection project = WindowProjection::current();
  u32 vertices = 0;

  for (u32 r = 0; r < mRibbonCount; ++r) {
    StrapRibbon& ribbon = mpRibbons[r];
    PathSample head;
    s32 h = 0;
    const PathSample* pSamples = ribbon.evaluatePath(progress, head, h);
    // OpenGL refuses a line width of 0 (a random value of exactly 0): such a ribbon is not drawn.
    if (!pSamples || ribbon.getSampleCount() == 0 || !(ribbon.lineWidth > 0.0f)) {
      continue;
    }
    const f32* c = ribbon.colour;
    const s32 tail = ribbonTail(h, ribbon.length);
    glLineWidth(ribbon.lineWidth);
    glBegin(GL_LINE_STRIP);
    if (!(mThinningPixels > 0.0f)) {
      glColor4f(c[0], c[1], c[2], 0.0f);
      glVertex3fv(head.data());
      f32 alpha = 0.0f;
      for (s32 j = h; j >= tail; --j) {
        alpha = rampAlpha(ribbon, j, h, tail, alpha);
        glColor4f(c[0], c[1], c[2], alpha);
        glVertex3fv(pSamples[j].data());
      }
      vertices += static_cast<u32>(h - tail + 2);
      glEnd();
      continue;
    }
    // The strip runs from the head through samples h down to the tail. Where
    // the ramp changes its slope both samples stay, so the colour between the
    // samples that are drawn rises and falls as it did through all of them.
    const u32 count = static_cast<u32>(h - tail + 2);
    mStrip.resize(count);
    mAlpha.resize(count);
    mStrip[0] = project(head.data());
    mAlpha[0] = 0.0f;
    f32 alpha = 0.0f;
    for (s32 j = h; j >= tail; --j) {
      const u32 i = static_cast<u32>(h - j + 1);
      alpha = rampAlpha(ribbon, j, h, tail, alpha);
      mAlpha[i] = alpha;
      mStrip[i] = project(pSamples[j].data());
    }
    markRampTurns(ribbon, h, tail, mStrip.data());
    mKept.clear();
    thinStrip(mStrip.data(), count, mThinningPixels, kLongestThinnedRun, mKept);
    vertices += static_cast<u32>(mKept.size());
    for (u32 i : mKept) {
      glColor4f(c[0], c[1], c[2], mAlpha[i]);
      glVertex3fv(i == 0 ? head.data() : pSamples[h - static_cast<s32>(i) + 1].data());
    }
    glEnd();
  }

  shaderManager::mpThis->resetPass(pass);
  glLineWidth(1.0f);
  return vertices;
}
