// resShader::reload on a real GL: a good new version replaces the effect behind
// the same object and name, a broken one leaves the old version drawing and
// reports the file and line, with no fatal stop.
#include "resource/res_shader.h"

#include "platform/gl.h"
#include <gtest/gtest.h>

#include <regex>
#include <tuple>

#include "render/effect_support.h"
#include "resource/shader_manager.h"

namespace {

// The fill effect with its channels swapped: red in, blue out.
constexpr const char* kSwappedFillEffect = R"(
float4 colour;
void fill() { gl_FragColor = colour.bgra; }
technique T { pass P { FragmentProgram = compile glslf fill(); } }
)";

// Line 3 calls a function that does not exist: the GLSL compile fails.
constexpr const char* kBrokenFillEffect = R"(
float4 colour;
void fill() { gl_FragColor = noSuchFunction(colour); }
technique T { pass P { FragmentProgram = compile glslf fill(); } }
)";

// A malformed technique block on line 4: the effect does not even parse.
constexpr const char* kUnparsableEffect = "float4 colour;\nvoid fill() { gl_FragColor = colour; }\n\ntechnique T { pass P { FragmentProgram = ; } \n";

class EffectReload : public EffectTest {
 protected:
  std::array<int, 4> drawRed(resShader* pShader) {
    const float red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    use(pShader)->setParameter("colour", red);
    setUnitProjection();
    drawAllPasses();
    return mTarget.pixel(4, 4);
  }

  OffscreenTarget mTarget{8, 8};
};

int reportedLine(const std::string& error, const std::string& path) {
  std::smatch match;
  const std::regex pattern(std::regex_replace(path, std::regex(R"([\\.^$|()\[\]{}*+?])"), R"(\$&)") +
                           ":([0-9]+): error: ");
  return std::regex_search(error, match, pattern) ? std::stoi(match[1]) : -1;
}

}  // namespace

TEST_F(EffectReload, ABrokenVersionKeepsTheOldOneDrawingAndAGoodOneReplacesItBehindTheSameObject) {
  resShader* pShader = load("fill.fx", kFillEffect);
  ASSERT_TRUE(mTarget.complete());
  EXPECT_EQ(drawRed(pShader), (std::array<int, 4>{255, 0, 0, 255}));
  const fx::Effect* pOld = pShader->getEffect();
  // Refused with the file and line: a compile error, a parse error, and an engine
  // parameter of the wrong type.
  const std::tuple<const char*, int, const char*> refused[] = {
      {kBrokenFillEffect, 3, ""},
      {kUnparsableEffect, 4, ""},
      {"float4 colour;\n\nfloat4x4 TIME_RATE;\nvoid fill() { gl_FragColor = colour; }\n"
       "technique T { pass P { FragmentProgram = compile glslf fill(); } }\n",
       3, "parameter 'TIME_RATE' is declared float4x4; the engine sets 1 float"}};
  std::string error;
  for (const auto& [text, line, problem] : refused) {
    EXPECT_FALSE(pShader->reload(text, error));
    EXPECT_EQ(reportedLine(error, pShader->getPath()), line) << error;
    EXPECT_NE(error.find(problem), std::string::npos) << error;
    EXPECT_EQ(pShader->getEffect(), pOld);
    EXPECT_TRUE(fx::Context::isEffect(pOld));
    EXPECT_EQ(pShader->getParameters().size(), 1u);
    EXPECT_EQ(drawRed(pShader), (std::array<int, 4>{255, 0, 0, 255})) << "the old program still draws";
  }
  ASSERT_TRUE(pShader->reload(kSwappedFillEffect, error)) << error;
  EXPECT_TRUE(error.empty()) << "a good save clears the report";
  EXPECT_NE(pShader->getEffect(), pOld);
  EXPECT_FALSE(fx::Context::isEffect(pOld)) << "the old effect is released";
  EXPECT_EQ(shaderManager::mpThis->getShaderMap().at("fill"), pShader) << "the name stays registered to the same object";
  EXPECT_EQ(drawRed(pShader), (std::array<int, 4>{0, 0, 255, 255})) << "the new program draws";
}

TEST_F(EffectReload, AVersionWithFewerPassesThanAreInUseIsRefused) {
  resShader* pShader = load("two.fx", R"(
float4 colour;
void fill() { gl_FragColor = colour; }
technique T {
  pass A { FragmentProgram = compile glslf fill(); }
  pass B { FragmentProgram = compile glslf fill(); }
}
)");
  ASSERT_EQ(pShader->getPassNum(), 2u);
  const fx::Effect* pOld = pShader->getEffect();
  std::string error;
  EXPECT_FALSE(pShader->reload(kFillEffect, error, 2));
  EXPECT_EQ(reportedLine(error, pShader->getPath()), 4) << error;
  EXPECT_NE(error.find("technique 'T' has 1 passes; 2 are in use"), std::string::npos) << error;
  EXPECT_EQ(pShader->getEffect(), pOld);
  EXPECT_EQ(pShader->getPassNum(), 2u);
  EXPECT_TRUE(pShader->reload(kFillEffect, error, 1)) << error;
  EXPECT_EQ(pShader->getPassNum(), 1u);
}
