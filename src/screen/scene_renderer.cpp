// Scene rendering with accumulation anti-aliasing.
#include "screen/scene_renderer.h"

#include <cstdio>

#include "platform/gl.h"

#include "framework/critical_check.h"
#include "render/render_object.h"
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
    shaderManager::mpThis->mpCurrentProgram = pShader;
    const f32 div = static_cast<f32>(sampleCount);
    setCurrentParameter("div", &div);
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

void CSceneRenderer::render(IDrawable* pScene, CSceneScreen* pTarget, f32 progress) {
  if (!pScene || !pTarget) {
    return;
  }
  if (mSampleCount == 0 || !mpMultisampleScreen) {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, pTarget->getFrameBuffer());
    glEnable(GL_DEPTH_TEST);
    mSampleIndex = 0;
    setCurrentJitterOffset(jitterOffset());
    pScene->draw(progress);
    glFlush();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    return;
  }

  resShader* pShader = mpCoreEffect;
  CRITICAL_CHECK(pShader, "");
  shaderManager::mpThis->mpCurrentProgram = pShader;
  const u32 sampleTexture = mpMultisampleScreen->getColorTexture();
  const u32 targetTexture = pTarget->getColorTexture();
  setCurrentParameter("srcColBuf0", &sampleTexture);
  setCurrentParameter("srcColBuf1", &targetTexture);

  for (s32 i = 0; i < mSampleCount; ++i) {
    if (i == 0) {
      mpMultisampleScreen->attachDepth(pTarget->getDepthTexture());
    } else {
      mpMultisampleScreen->restoreDepth();
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mpMultisampleScreen->getFrameBuffer());
    glEnable(GL_DEPTH_TEST);
    mSampleIndex = i;
    setCurrentJitterOffset(jitterOffset());
    pScene->draw(progress);
    setCurrentJitterOffset({});
    glFlush();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);

    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, pTarget->getFrameBuffer());
    orthographicUnitSquare();
    CRITICAL_CHECK(pShader, "");
    shaderManager::mpThis->mpCurrentProgram = pShader;
    setCurrentStateMatrix("projMat", 0x81);
    const u32 pass = i == 0 ? 0 : 1;
    shaderManager::mpThis->setPass(pass);
    drawScreenQuad(mScreenScaleU, mScreenScaleV);
    shaderManager::mpThis->resetPass(pass);
    glFlush();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  }

  orthographicUnitSquare();
  shaderManager::mpThis->mpCurrentProgram = pShader;
  setCurrentStateMatrix("projMat", 0x81);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, pTarget->getFrameBuffer());
  shaderManager::mpThis->setPass(2);
  drawScreenQuad(mScreenScaleU, mScreenScaleV);
  shaderManager::mpThis->resetPass(2);
  glFlush();
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}
