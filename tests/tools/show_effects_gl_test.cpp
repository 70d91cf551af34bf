// The show's shipped effect files on a real GL: every one compiles, links and
// validates, has the passes the post-effect table and the model renderer use, and
// declares the parameters the program sets.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "render/effect_support.h"

namespace {

std::set<std::string> parameterNames(const resShader* pShader) {
  std::set<std::string> names;
  for (const resShader::ShaderParam& param : pShader->getParameters()) names.insert(param.name);
  return names;
}

}  // namespace

TEST_F(EffectTest, ShowModelEffectsDrawInOnePassWithTheStandardParameters) {
  // The lit ones take the light and material the model renderer sets as well, all
  // but the shininess: their specular power is the renderer's constant, multiplied out.
  for (const auto& [name, lit] : {std::pair{"showLit", true}, {"showSway", true}, {"showReflect", true},
                                  {"showUnlit", false}, {"showGlow", false}, {"showLineGlow", false},
                                  {"showLitClear", true}, {"showSky", false}}) {
    resShader* pShader = loadPath("data\\shader\\" + std::string(name) + ".fx");
    ASSERT_NE(pShader, nullptr) << name;
    EXPECT_EQ(pShader->getPassNum(), 1u) << name;
    const std::set<std::string> names = parameterNames(pShader);
    EXPECT_TRUE(names.count("shVProjMat") && names.count("shMqoColor")) << name;
    if (!lit) continue;
    for (const char* standard : {"shWorldMat", "shViewMat", "shAmbient", "shLightColor", "shKa", "shKd", "shKs",
                                 "shEyePos", "shLightPos", "shBaseTexture", "TIME_RATE"})
      EXPECT_TRUE(names.count(standard)) << name << " lacks " << standard;
  }
  EXPECT_TRUE(parameterNames(mLoaded[2]).count("shEnvCube")) << "the reflections sample the effect-texture cube";
}

TEST_F(EffectTest, ShowPostEffectsHaveThePassesTheTableRuns) {
  const std::vector<std::pair<std::string, unsigned>> effects = {
      {"postCompose", 1},        {"postCrossfade", 1}, {"postGlowBlur", 2},
      {"postFinal", 1},          {"postFinalFocus", 1}, {"postFinalCrossfade", 1},
      {"postRadial", 2},         {"postFlash", 1},      {"postFade", 2}};
  for (const auto& [name, passes] : effects) {
    resShader* pShader = loadPath("data\\shader\\" + name + ".fx");
    ASSERT_NE(pShader, nullptr) << name;
    EXPECT_EQ(pShader->getPassNum(), passes) << name;
    EXPECT_TRUE(parameterNames(pShader).count("projMat")) << name;
  }
  EXPECT_TRUE(parameterNames(mLoaded[1]).count("srcCBuf1")) << "the cross-fade reads line 1";
  EXPECT_TRUE(parameterNames(mLoaded[4]).count("srcZBuf0")) << "the depth of field reads line 0's depth";
  const std::set<std::string> blur = parameterNames(mLoaded[2]);
  EXPECT_TRUE(blur.count("OutputSize") && blur.count("ViewportSize")) << "the blur steps by the texels of the screens it reads";
}
