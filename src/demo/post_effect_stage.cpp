// The post-effect stage and the final composition of a frame, on the screens and
// effects the demo manager owns (its friend, so the work screens can be resized).
#include "demo/post_effect_stage.h"

#include "platform/gl.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "demo/demo_manager.h"
#include "demo/frame_observer.h"
#include "demo/frame_target.h"
#include "framework/critical_check.h"
#include "render/render_object.h"
#include "resource/custom_texture_manager.h"
#include "resource/res_shader.h"
#include "resource/shader_manager.h"
#include "screen/letterbox.h"
#include "screen/post_effect_manager.h"
#include "screen/scene_screen.h"
#include "screen/screen_quad.h"

namespace {

constexpr u32 kModelViewProjection = 0x81;

void setTexture(const char* name, u32 texture) { setCurrentParameter(name, &texture); }

// A side of a work screen written at 1/divisor of the window, never below one pixel.
u32 reducedSide(u32 side, u32 divisor) { return std::max(side / divisor, 1u); }

}  // namespace

CPostEffectStage::CPostEffectStage(CDemoManager& demo) : mDemo(demo) {}

CPostEffectStage::~CPostEffectStage() = default;

void CPostEffectStage::runPasses(resShader* pEffect, s32 pass) {
  const u32 first = pass != -1 ? static_cast<u32>(pass) : 0;
  for (u32 k = first; k < (pass != -1 ? first + 1 : pEffect->getPassNum()); ++k) {
    shaderManager::mpThis->setPass(k);
    drawScreenQuad(mDemo.mScreenScaleU, mDemo.mScreenScaleV);
    shaderManager::mpThis->resetPass(k);
  }
}

void CPostEffectStage::fitWorkScreens() {
  for (int work = 0; work < CDemoManager::WORK_SCREEN_COUNT; ++work) {
    const u32 divisor = mDemo.mpPeManager->getWorkDivisor(work);
    if (divisor == mDemo.mWorkDivisor[work]) continue;
    mDemo.mpWorkScreen[work] = std::make_unique<CSceneScreen>();
    mDemo.mpWorkScreen[work]->createScreen(reducedSide(mDemo.mWidth, divisor), reducedSide(mDemo.mHeight, divisor), false,
                                     mDemo.pictureScreenFormat());
    mDemo.mWorkDivisor[work] = divisor;
    if (work < 2 && mDemo.mpDefaultEffect) {
      // The default effect was handed the old screen's texture once, at start-up.
      shaderManager::mpThis->mpCurrentProgram = mDemo.mpDefaultEffect;
      setTexture(work == 0 ? "workBuf0" : "workBuf1", mDemo.mpWorkScreen[work]->getColorTexture());
    }
  }
}

bool CPostEffectStage::screenInWindow(u32 time) {
  const PictureRect picture = letterboxRect(mDemo.mAspectX, mDemo.mAspectY);
  const bool fills = mDemo.mpWindow && picture.x0 == 0.0f && picture.y0 == 0.0f && mDemo.mScreenScaleU == 1.0f &&
                     mDemo.mScreenScaleV == 1.0f && mDemo.mpWindow->getFrameWidth() == mDemo.mWidth &&
                     mDemo.mpWindow->getFrameHeight() == mDemo.mHeight;
  const u32 showEnd = mDemo.getShowEndTime();
  u32 first = 0;
  // Past the table's end no entry may paint the screen: the composite keeps it.
  return mWindowScreen.decide(*mDemo.mpPeManager, showEnd, fills) && time <= showEnd &&
         mDemo.mpPeManager->firstScreenEntry(time, first);
}

u32 CPostEffectStage::getScreenFrameBuffer() const {
  return mScreenInWindow ? 0u : mDemo.mpCompositeScreen->getFrameBuffer();
}

void CPostEffectStage::run(u32 time) {
  const CPostEffectManager* mpPeManager = mDemo.mpPeManager;  // as the fatal text names it
  CRITICAL_CHECK(mpPeManager, "");
  fitWorkScreens();
  // When the first entry writing the screen paints all of it in every frame, the
  // window can be the screen and the composition has nothing left to copy.
  mScreenInWindow = screenInWindow(time);
  if (mScreenInWindow) WindowScreen::enter();
  orthographicUnitSquare();
  const f32 viewport[2] = {static_cast<f32>(mDemo.mWidth), static_cast<f32>(mDemo.mHeight)};
  bool anyRan = false;
  for (u32 index = 0; index < mDemo.mpPeManager->getEntryCount(); ++index) {
    resShader* pEffect = mDemo.mpPeManager->activeEffect(index, time);
    if (!pEffect) {
      continue;
    }
    shaderManager::mpThis->mpCurrentProgram = pEffect;
    setCurrentStateMatrix("projMat", kModelViewProjection);
    setTexture("srcCBuf0", mDemo.mpSourceScreen[0]->getColorTexture());
    setTexture("srcCBuf1", mDemo.mpSourceScreen[1]->getColorTexture());
    setTexture("srcZBuf0", mDemo.mpSourceScreen[0]->getDepthTexture());
    setTexture("srcZBuf1", mDemo.mpSourceScreen[1]->getDepthTexture());
    for (int work = 0; work < CDemoManager::WORK_SCREEN_COUNT; ++work) {
      const std::string name = "workBuf" + std::to_string(work);
      setTexture(name.c_str(), mDemo.mpWorkScreen[work]->getColorTexture());
    }
    // A grade over the finished picture is one row reading what the rows
    // before it composed, instead of every row writing a work screen for it.
    const auto readsComposed = [](const resShader::ShaderParam& param) {
      return param.name == "composedBuf" || param.semantic == "composedBuf";
    };
    if (std::any_of(pEffect->mVecParam.begin(), pEffect->mVecParam.end(), readsComposed)) {
      copyComposedPicture();
      setTexture("composedBuf", mpComposedCopy->getColorTexture());
    }
    setCurrentParameter("TIME_RATE_0", &mDemo.mLineProgress[0]);
    setCurrentParameter("TIME_RATE_1", &mDemo.mLineProgress[1]);
    const f32 rate = mDemo.mpPeManager->effectRate(index, time);
    setCurrentParameter("TIME_RATE_EFFECT", &rate);
    customTextureManager::mpThis->applyTextures(pEffect);
    setCurrentParameter("ViewportSize", viewport);
    const PostEffectEntry& entry = mDemo.mpPeManager->getEntry(index);
    const s32 bufferID = entry.bufferID;
    CRITICAL_CHECK(bufferID>=CPostEffectManager::RENDER_TARGET_BEGIN && bufferID<CPostEffectManager::RENDER_TARGET_END, "invalid screen buffer id");
    CSceneScreen* pOutput = bufferID == -1 ? mDemo.mpCompositeScreen.get() : mDemo.mpWorkScreen[bufferID].get();
    const u32 outputFrameBuffer = bufferID == -1 && mScreenInWindow ? 0u : pOutput->getFrameBuffer();
    const u32 divisor = bufferID == -1 ? 1 : mDemo.mWorkDivisor[bufferID];
    const u32 outputWidth = reducedSide(mDemo.mWidth, divisor);
    const u32 outputHeight = reducedSide(mDemo.mHeight, divisor);
    const f32 outputSize[2] = {static_cast<f32>(outputWidth), static_cast<f32>(outputHeight)};
    setCurrentParameter("OutputSize", outputSize);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, outputFrameBuffer);
    if (divisor != 1) glViewport(0, 0, static_cast<GLsizei>(outputWidth), static_cast<GLsizei>(outputHeight));
    runPasses(pEffect, entry.pass);
    if (divisor != 1) glViewport(0, 0, static_cast<GLsizei>(mDemo.mWidth), static_cast<GLsizei>(mDemo.mHeight));
    glFlush();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    anyRan = true;
    if (IFrameObserver* pObserver = mDemo.mOptions.pObserver) {
      FramePart part;
      part.kind = FramePart::Kind::PostEffect;
      part.pName = &entry.effectFile;
      part.start = entry.start;
      part.end = entry.end;
      part.entry = static_cast<s32>(index);
      pObserver->onPartEnd(part);
    }
  }
  if (mScreenInWindow) WindowScreen::leave();
  if (anyRan) {
    return;
  }
  runDefaultEffect(viewport);
}

void CPostEffectStage::runDefaultEffect(const f32 (&viewport)[2]) {
  resShader* pShader = mDemo.mpDefaultEffect;
  CRITICAL_CHECK(pShader, "");
  shaderManager::mpThis->mpCurrentProgram = pShader;
  setCurrentStateMatrix("projMat", kModelViewProjection);
  customTextureManager::mpThis->applyTextures(pShader);
  setCurrentParameter("ViewportSize", viewport);
  setCurrentParameter("OutputSize", viewport);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mDemo.mpCompositeScreen->getFrameBuffer());
  runPasses(pShader, -1);
  glFlush();
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void CPostEffectStage::copyComposedPicture() {
  if (!mpComposedCopy) {
    mpComposedCopy = std::make_unique<CSceneScreen>();
    mpComposedCopy->createScreen(mDemo.mWidth, mDemo.mHeight, false, mDemo.pictureScreenFormat());
  }
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mScreenInWindow ? 0u : mDemo.mpCompositeScreen->getFrameBuffer());
  glReadBuffer(mScreenInWindow ? GL_BACK : GL_COLOR_ATTACHMENT0_EXT);
  GLint previous = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
  glBindTexture(GL_TEXTURE_2D, mpComposedCopy->getColorTexture());
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, static_cast<GLsizei>(mDemo.mWidth), static_cast<GLsizei>(mDemo.mHeight));
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void CPostEffectStage::compose() {
  if (mScreenInWindow) return;  // the post-effect stage drew the picture there
  orthographicUnitSquare();
  resShader* pShader = mDemo.mpFinalEffect;
  if (!pShader) {
    std::fprintf(stderr, "orvane: %s: the final effect, which puts the picture in the window, could not be "
                 "loaded at start-up (the reason was given then)\n", CDemoManager::FINAL_EFFECT);
  }
  CRITICAL_CHECK(pShader, "");
  shaderManager::mpThis->mpCurrentProgram = pShader;
  setTexture("shScreenTexture", mDemo.mpCompositeScreen->getColorTexture());
  setCurrentStateMatrix("shVProjMat", kModelViewProjection);
  const PictureRect picture = letterboxRect(mDemo.mAspectX, mDemo.mAspectY);
  // The bars are painted only where the picture leaves some: a picture that
  // fills the window would cover a second full-window quad at once.
  if (picture.x0 > 0.0f || picture.y0 > 0.0f) {
    shaderManager::mpThis->setPass(1);
    drawScreenQuad(1.0f, 1.0f);
    shaderManager::mpThis->resetPass(1);
  }

  shaderManager::mpThis->setPass(0);
  drawScreenRect(picture, mDemo.mScreenScaleU, mDemo.mScreenScaleV);
  shaderManager::mpThis->resetPass(0);
}
