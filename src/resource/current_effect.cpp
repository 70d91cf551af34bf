// The one place our drawing code assigns the shader manager's current program.
#include "resource/current_effect.h"

#include "framework/critical_check.h"
#include "resource/shader_manager.h"

CurrentEffect::CurrentEffect(resShader* pShader) : mpPrevious(shaderManager::mpThis->mpCurrentProgram) {
  CRITICAL_CHECK(pShader, "");
  shaderManager::mpThis->mpCurrentProgram = pShader;
}

CurrentEffect::~CurrentEffect() { shaderManager::mpThis->mpCurrentProgram = mpPrevious; }
