// shaderManager on a real GL: the capability checks and the name registry.
#include "resource/shader_manager.h"

#include "platform/gl.h"
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/critical_check.h"
#include "render/effect_support.h"
#include "support/fatal_text.h"

TEST_F(EffectTest, MissingGlslProfilesStopTheStartWithTheirOwnTexts) {
  for (const auto& [profile, name] : {std::pair{fx::Profile::GlslVertex, "GLSLV"}, {fx::Profile::GlslFragment, "GLSLF"}}) {
    EXPECT_EXIT(
        {
          fx::Context::hideProfile(profile, true);
          shaderManager::mpThis->initialize();
        },
        testing::ExitedWithCode(vell::kFatalExitStatus),
        literalPattern("Critical error:[cgGLIsProfileSupported(CG_PROFILE_" + std::string(name) +
                       ")==CG_TRUE + \"We are very sorry but we can't start demo.\"]"));
  }
}

TEST_F(EffectTest, SameBaseNameFromAnotherFolderIsAConflict) {
  const std::string first = write("a/glow.fx", kFillEffect);
  const std::string again = write("b/glow.cgfx", kFillEffect);
  ASSERT_NE(loadPath(first), nullptr);
  ASSERT_NE(loadPath(first), nullptr);  // the same file is shared, not registered twice
  EXPECT_EQ(shaderManager::mpThis->getShaderMap().size(), 1u);
  EXPECT_EXIT(loadPath(again), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[mShaderMap.find(pShader->getName())==mShaderMap.end() + \"shader conflict!\"]"));
}

TEST_F(EffectTest, TwoSpellingsOfOneEffectPathAreOneEffect) {
  const std::string path = write("data/shader/glow.fx", kFillEffect);
  std::string windows = path;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  std::string upper = path;
  upper.replace(upper.rfind("glow.fx"), 7, "GLOW.fx");
  auto get = [](const std::string& spelling) {
    return static_cast<resShader*>(resourceManager::mpThis->getResource(spelling.c_str(), resShader::DTI));
  };
  resShader* pFirst = get(windows);
  ASSERT_NE(pFirst, nullptr);
  resShader* pSecond = get(upper);  // no "shader conflict!"
  EXPECT_EQ(pSecond, pFirst);
  EXPECT_EQ(pFirst->mRefPtr, 2u);
  EXPECT_EQ(shaderManager::mpThis->getShaderMap().size(), 1u);
  releaseResource(pSecond);
  EXPECT_EQ(pFirst->mRefPtr, 1u);
  releaseResource(pFirst);
  // Released, the file loads afresh under the other spelling.
  resShader* pAgain = loadPath(upper);
  ASSERT_NE(pAgain, nullptr);
  EXPECT_EQ(pAgain->getName(), "GLOW");
}
