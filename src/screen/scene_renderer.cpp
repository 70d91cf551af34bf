// Scene rendering with accumulation anti-aliasing.
#include "screen/scene_renderer.h"

#include <cstdio>

#include "platform/gl.h"

#include "framework/critical_check.h"
#include "render/frame_context.h"
#include "render/render_object.h"
#include "resource/current_effect.h"
#include "resource/res_shader.h"
#include "resource/resource_manager.h"
#include "resource/shader_manager.h"
#include "screen/drawable.h"
#include "screen/scene_screen.h"
#include "screen/screen_quad.h"

namespace {

CSceneRenderer gSceneRenderer;

}  // namespace

CSceneRenderer& sceneRenderer() { return gSceneRenderer; }

CSceneRenderer::~CSceneRenderer() = default;

bool CSceneRenderer::initRenderer(s32 sampleCount, CSceneScreen* pMultisampleScreen) {
  const JitterOffset* table = jitterTable(sampleCount);
  if (!table) {
    return false;
  }
  mSampleCount = sampleCount;
  mpMultisampleScreen = pMultisampleScreen;
  mpJitterTable = table;
  mSampleIndex = 0;
  if (mpMultisampleScreen) {
    resShader* pShader = static_cast<resShader*>(resourceManager::mpThis->getResource(CORE_EFFECT, resShader::DTI));
    if (!pShader) {
      std::fprintf(stderr, "orvane: %s: the effect that adds up the samples cannot be loaded: it %s\n", CORE_EFFECT,
                   resourceManager::mpThis->lastFailure().c_str());
    }
    CRITICAL_CHECK(pShader, "");
    mpCoreEffect = pShader;
    pShader->requirePasses(3);  // samples are accumulated with passes 0 and 1, divided out with 2
    const CurrentEffect current(pShader);
    setCurrentParameter("div", static_cast<f32>(sampleCount));
  }
  return true;
}

void CSceneRenderer::shutdown() {
  releaseResource(mpCoreEffect);
  mpMultisampleScreen = nullptr;
  mSampleCount = 0;
  mpJitterTable = nullptr;
  mSampleIndex = 0;
}

JitterOffset CSceneRenderer::jitterOffset() const {
  return mpJitterTable ? mpJitterTable[mSampleIndex] : JitterOffset{};
}

void CSceneRenderer::render(IDrawable* pScene, CSceneScreen* pTarget, f32 progress, const FrameContext& frame) {
  if (!pScene || !pTarget) {
    return;
  }
  if (mSampleCount == 0 || !mpMultisampleScreen) {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, pTarget->getFrameBuffer());
    glEnable(GL_DEPTH_TEST);
    mSampleIndex = 0;
    FrameContext sample = frame;
    sample.jitter = jitterOffset();
    pScene->draw(progress, sample);
    glFlush();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    return;
  }

  // The scene's own effects are made current inside its draw and put back after it.
  const CurrentEffect current(mpCoreEffect);
  setCurrentParameter("srcColBuf0", TextureName{mpMultisampleScreen->getColorTexture()});
  setCurrentParameter("srcColBuf1", TextureName{pTarget->getColorTexture()});
  const u32 projection = state_matrix::kModelViewProjection | state_matrix::kIdentity;

  for (s32 i = 0; i < mSampleCount; ++i) {
    if (i == 0) {
      mpMultisampleScreen->attachDepth(pTarget->getDepthTexture());
    } else {
      mpMultisampleScreen->restoreDepth();
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mpMultisampleScreen->getFrameBuffer());
    glEnable(GL_DEPTH_TEST);
    mSampleIndex = i;
    FrameContext sample = frame;
    sample.jitter = jitterOffset();
    pScene->draw(progress, sample);
    glFlush();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, pTarget->getFrameBuffer());
    orthographicUnitSquare();
    setCurrentStateMatrix("projMat", projection);
    const u32 pass = i == 0 ? 0 : 1;
    shaderManager::mpThis->setPass(pass);
    drawScreenQuad(mScreenScaleU, mScreenScaleV);
    shaderManager::mpThis->resetPass(pass);
    glFlush();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  }

  orthographicUnitSquare();
  setCurrentStateMatrix("projMat", projection);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, pTarget->getFrameBuffer());
  shaderManager::mpThis->setPass(2);
  drawScreenQuad(mScreenScaleU, mScreenScaleV);
  shaderManager::mpThis->resetPass(2);
  glFlush();
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}
