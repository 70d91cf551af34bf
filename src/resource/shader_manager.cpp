// The effect context, the capability checks at start-up, the name registry and pass
// application; the one static shaderManager.
#include "resource/shader_manager.h"

#include <cstdio>

#include "framework/critical_check.h"
#include "framework/vell_manager.h"
#include "resource/pass_observer.h"
#include "resource/res_shader.h"

namespace {

shaderManager gShaderManager;

// Spelled as the start-up checks have always been spelled, so that the texts a
// viewer sees on a card without GLSL stay the same.
constexpr fx::Profile CG_PROFILE_GLSLV = fx::Profile::GlslVertex;
constexpr fx::Profile CG_PROFILE_GLSLF = fx::Profile::GlslFragment;
constexpr bool CG_TRUE = true;
bool cgGLIsProfileSupported(fx::Profile profile) { return fx::Context::isProfileSupported(profile); }

}  // namespace

shaderManager::shaderManager() { vell::registerManager(mpThis, this); }

shaderManager::~shaderManager() {
  vell::unregisterManager(mpThis);
  // A context still here at static destruction is left alone: the GL context is gone,
  // and deleting its programs would call GL without one. Shutdown calls destroyContext.
  static_cast<void>(mContext.release());
}

void shaderManager::onError() {
  fx::Context* pContext = mpThis ? mpThis->mContext.get() : nullptr;
  if (!pContext) {
    return;
  }
  fx::Error error = fx::Error::None;
  const char* pText = pContext->getLastErrorString(&error);
  if (error != fx::Error::None) {
    std::fprintf(stderr, "effect runtime: %s\n", pText);
  }
  if (pContext->getError() != fx::Error::None) {
    CRITICAL_CHECK(0, "Cg returned an error. STOP!");
  }
}

void shaderManager::initialize() {
  destroyContext();
  mContext = std::make_unique<fx::Context>();
  mContext->setErrorCallback(&shaderManager::onError);
  CRITICAL_CHECK(cgGLIsProfileSupported(CG_PROFILE_GLSLV)==CG_TRUE, "We are very sorry but we can't start demo.");
  CRITICAL_CHECK(cgGLIsProfileSupported(CG_PROFILE_GLSLF)==CG_TRUE, "We are very sorry but we can't start demo.");
}

void shaderManager::destroyContext() {
  mpCurrentProgram = nullptr;
  mShaderMap.clear();
  mContext.reset();
}

void shaderManager::registerShader(resShader* pShader) {
  CRITICAL_CHECK(mShaderMap.find(pShader->getName())==mShaderMap.end(), "shader conflict!");
  mShaderMap.emplace(pShader->getName(), pShader);
}

void shaderManager::unregisterShader(resShader* pShader) {
  const auto found = mShaderMap.find(pShader->getName());
  if (found != mShaderMap.end() && found->second == pShader) {
    mShaderMap.erase(found);
  }
  if (mpCurrentProgram == pShader) {
    mpCurrentProgram = nullptr;
  }
}

u32 shaderManager::getPassNum() const { return mpCurrentProgram->getPassNum(); }

resShader* shaderManager::checkedCurrentProgram() const {
  CRITICAL_CHECK(mpCurrentProgram, "");
  return mpCurrentProgram;
}

fx::Pass* shaderManager::checkedPass(u32 index) const {
  checkedCurrentProgram();
  CRITICAL_CHECK(index<getPassNum(), "");
  return mpCurrentProgram->getPasses()[index];
}

void shaderManager::stopOnRuntimeError() const {
  fx::Error error = fx::Error::None;
  mContext->getLastErrorString(&error);
  if (error != fx::Error::None) {
    CRITICAL_CHECK(0, "Cg error.");
  }
}

void shaderManager::setPass(u32 index) {
  fx::Pass* pPass = checkedPass(index);
  if (mpPassObserver && !mPassObserved) {
    mPassObserved = true;
    mpPassObserver->onPassBegin(*mpCurrentProgram, index);
  }
  pPass->setState();
  stopOnRuntimeError();
}

void shaderManager::resetPass(u32 index) {
  checkedPass(index)->resetState();
  stopOnRuntimeError();
  if (mPassObserved) {
    mPassObserved = false;
    if (mpPassObserver) mpPassObserver->onPassEnd();
  }
}
