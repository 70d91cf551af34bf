// CurrentEffect: the effect is current inside the scope and the one before it is
// current again after, however deeply scopes nest.
#include "resource/current_effect.h"

#include <gtest/gtest.h>

#include "framework/critical_check.h"
#include "resource/res_shader.h"
#include "resource/shader_manager.h"
#include "support/fatal_text.h"

TEST(CurrentEffect, PutsThePreviousEffectBackAtEveryLevelOfNesting) {
  resShader outer;
  resShader inner;
  resShader* const pCurrent = shaderManager::mpThis->mpCurrentProgram;
  {
    const CurrentEffect first(&outer);
    EXPECT_EQ(shaderManager::mpThis->mpCurrentProgram, &outer);
    {
      const CurrentEffect second(&inner);
      EXPECT_EQ(shaderManager::mpThis->mpCurrentProgram, &inner);
      {
        const CurrentEffect again(&outer);  // the same effect again, as a nested drawer may
        EXPECT_EQ(shaderManager::mpThis->mpCurrentProgram, &outer);
      }
      EXPECT_EQ(shaderManager::mpThis->mpCurrentProgram, &inner);
    }
    EXPECT_EQ(shaderManager::mpThis->mpCurrentProgram, &outer);
  }
  EXPECT_EQ(shaderManager::mpThis->mpCurrentProgram, pCurrent);
}

TEST(CurrentEffectDeathTest, ANullEffectStopsWithTheDrawingProtocolsText) {
  EXPECT_EXIT(CurrentEffect(nullptr), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[pShader + \"\"]"));
}
