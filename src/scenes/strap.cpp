// Strap ribbons: random variation at set-up, head and fade ramps per frame.
#include "scenes/strap.h"

#include "platform/gl.h"

#include <algorithm>
#include <vector>

#include "framework/critical_check.h"
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

void CStrap::drawStrap(f32 progress, u32 pass) {
  resShader* pShader = mpShader;
  CRITICAL_CHECK(pShader, "");
  shaderManager::mpThis->mpCurrentProgram = pShader;
  pShader->setParameter("TIME_RATE", &progress);
  pShader->setStateMatrix("shWorldMat", 0x11);
  pShader->setStateMatrix("shViewMat", 0x11);
  pShader->setStateMatrix("shVProjMat", 0x80);
  shaderManager::mpThis->setPass(pass);

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
    glLineWidth(ribbon.lineWidth);
    glBegin(GL_LINE_STRIP);
    glColor4f(c[0], c[1], c[2], 0.0f);
    glVertex3fv(head.data());
    const s32 tail = ribbonTail(h, ribbon.length);
    f32 alpha = 0.0f;
    for (s32 j = h; j >= tail; --j) {
      alpha = rampAlpha(ribbon, j, h, tail, alpha);
      glColor4f(c[0], c[1], c[2], alpha);
      glVertex3fv(pSamples[j].data());
    }
    glEnd();
  }

  shaderManager::mpThis->resetPass(pass);
  glLineWidth(1.0f);
}
