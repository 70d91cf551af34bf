// The show's shipped effect files on a real GL: every one compiles, links and
// validates, has the passes the post-effect table and the model renderer use, and
// declares the parameters the program sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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

TEST_F(EffectTest, ShowGradeFoldedIntoOneMatrixGradesAsItsSteps) {
  // The grade, step by step: more colour around the luma, warm highlights, violet
  // shadows; the vignette leaves the centre of the picture at (1, 0.98, 0.96).
  const auto graded = [](std::array<float, 3> c) {
    const float luma = c[0] * 0.299f + c[1] * 0.587f + c[2] * 0.114f;
    const float highlights[3] = {1.03f, 1.0f, 0.96f}, shadows[3] = {0.05f, 0.02f, 0.09f}, centre[3] = {1.0f, 0.98f, 0.96f};
    std::array<int, 3> out{};
    for (int i = 0; i < 3; ++i) {
      const float value = (luma + (c[i] - luma) * 1.12f) * highlights[i] + shadows[i] * (1.0f - luma);
      out[i] = static_cast<int>(std::clamp(value, 0.0f, 1.0f) * centre[i] * 255.0f + 0.5f);
    }
    return out;
  };
  OffscreenTarget target(64, 64);
  ASSERT_TRUE(target.complete());
  setUnitProjection();
  GLuint picture = 0;
  glGenTextures(1, &picture);
  const GLuint black = makeTexture();
  glBindTexture(GL_TEXTURE_2D, black);
  const unsigned char zero[4] = {0, 0, 0, 255};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, zero);
  // Lines hold 16-bit floats: colours above 1 reach the grade as they are.
  for (const std::array<float, 3> colour : {std::array{0.2f, 0.5f, 0.8f}, {0.9f, 0.3f, 0.1f}, {1.4f, 0.7f, 0.2f}}) {
    const float rgba[4] = {colour[0], colour[1], colour[2], 1.0f};
    glBindTexture(GL_TEXTURE_2D, picture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F_ARB, 1, 1, 0, GL_RGBA, GL_FLOAT, rgba);
    glBindTexture(GL_TEXTURE_2D, 0);
    for (const char* name : {"postCompose", "postCrossfade", "postFinal", "postFinalFocus", "postFinalCrossfade"}) {
      resShader* pShader = use(loadPath("data\\shader\\" + std::string(name) + ".fx"));
      ASSERT_NE(pShader, nullptr) << name;
      pShader->setStateMatrix("projMat", 0x81);
      pShader->setParameter("srcCBuf0", &picture);
      for (const char* other : {"srcCBuf1", "srcZBuf0", "workBuf2"}) pShader->setParameter(other, &black);
      drawAllPasses();  // the line 1, glow and focus rates are 0: only line 0's grade shows
      const std::array<int, 4> pixel = target.pixel(32, 32);
      const std::array<int, 3> expected = graded(colour);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(pixel[i], expected[i], 1) << name << " channel " << i << " of " << colour[0];
    }
  }
  glDeleteTextures(1, &picture);
  glDeleteTextures(1, &black);
}
