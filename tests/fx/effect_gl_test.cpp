// Effects on a real GL (llvmpipe under Xvfb): technique fallback with its message,
// deferred values, state and texture restoration, and the state matrices.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <tuple>

#include "render/effect_support.h"
#include "support/gl_state.h"
#include "support/source_dir.h"

namespace {

void expectNear(const std::array<int, 4>& actual, const std::array<int, 4>& expected) {
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], 2) << "channel " << i;
}

std::array<float, 4> uniformValue(resShader* pShader, u32 pass, const char* name) {
  std::array<float, 4> value{};
  const GLuint program = pShader->getPasses()[pass]->getProgram();
  glGetUniformfv(program, glGetUniformLocation(program, name), value.data());
  return value;
}

}  // namespace

TEST_F(EffectTest, FirstTechniqueThatFailsToLinkFallsBackToTheSecond) {
  testing::internal::CaptureStderr();
  resShader* pShader = load("fallback.fx", R"(
vec4 missing();
void broken() { gl_FragColor = missing(); }
void fine() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }
technique Ambitious { pass P { FragmentProgram = compile glslf broken(); } }
technique Plain {
  pass A { FragmentProgram = compile glslf fine(); }
  pass B { FragmentProgram = compile glslf fine(); DepthTestEnable = false; }
}
)");
  const std::string log = testing::internal::GetCapturedStderr();
  ASSERT_NE(pShader, nullptr);
  EXPECT_EQ(pShader->getTechnique()->getName(), "Plain");
  ASSERT_EQ(pShader->getPassNum(), 2u);
  EXPECT_EQ(pShader->getPasses()[0]->getName(), "A");
  EXPECT_EQ(pShader->getPasses()[1]->getName(), "B");
  EXPECT_NE(log.find("fallback.fx:5: error: technique 'Ambitious', pass 'P' does not link"), std::string::npos) << log;
}

TEST_F(EffectTest, AValueByNameReachesTheNamedParameterAndTheOneWithThatSemanticAtTheNextSetPass) {
  resShader* pShader = use(load("lit.fx", R"(
float4 shKd;
float4 diffuse : shKd;
float4 other : shKs;
void fill() { gl_FragColor = shKd + diffuse + other; }
technique T { pass P { FragmentProgram = compile glslf fill(); } }
)"));
  ASSERT_NE(pShader, nullptr);
  const std::array<float, 4> first = {0.25f, 0.5f, 0.75f, 1.0f}, second = {0.5f, 0.6f, 0.7f, 0.8f}, zero = {};
  pShader->setParameter("shKd", first.data());
  EXPECT_EQ(uniformValue(pShader, 0, "shKd"), zero) << "not yet in GL";
  shaderManager::mpThis->setPass(0);
  EXPECT_EQ(uniformValue(pShader, 0, "shKd"), first);
  EXPECT_EQ(uniformValue(pShader, 0, "diffuse"), first);
  EXPECT_EQ(uniformValue(pShader, 0, "other"), zero);
  pShader->setParameter("shKd", second.data());
  EXPECT_EQ(uniformValue(pShader, 0, "diffuse"), first);
  shaderManager::mpThis->setPass(0);
  EXPECT_EQ(uniformValue(pShader, 0, "diffuse"), second);
  shaderManager::mpThis->resetPass(0);
}

namespace {

// A state far from GL's defaults and from the pass's, so that a reset to defaults
// instead of to the previous values shows.
void setUnusualState(GLuint unit0Texture, GLuint unit1Cube) {
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glDepthFunc(GL_GREATER);
  glDisable(GL_CULL_FACE);
  glCullFace(GL_FRONT);
  glDisable(GL_BLEND);
  glBlendFunc(GL_DST_COLOR, GL_SRC_COLOR);
  glBlendEquation(GL_FUNC_SUBTRACT);
  glDisable(GL_ALPHA_TEST);
  glAlphaFunc(GL_LESS, 0.25f);
  glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
  glDisable(GL_POINT_SPRITE);
  glDisable(GL_VERTEX_PROGRAM_POINT_SIZE);
  glActiveTexture(GL_TEXTURE0);
  glTexEnvi(GL_POINT_SPRITE, GL_COORD_REPLACE, GL_FALSE);
  glBindTexture(GL_TEXTURE_2D, unit0Texture);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_CUBE_MAP, unit1Cube);
  glActiveTexture(GL_TEXTURE3);
}

}  // namespace

TEST_F(EffectTest, ResetPassPutsBackEveryStateAndTextureBinding) {
  resShader* pShader = use(load("states.fx", testData("effects/every_state.fx")));
  ASSERT_NE(pShader, nullptr);
  const GLuint previous2D = makeTexture();
  const GLuint previousCube = makeTexture(GL_TEXTURE_CUBE_MAP);
  const GLuint image = makeTexture();
  const GLuint cube = makeTexture(GL_TEXTURE_CUBE_MAP);
  setUnusualState(previous2D, previousCube);
  const GlState before = GlState::take();

  pShader->setParameter("shBaseTexture", &image);
  pShader->setParameter("second", &cube);
  shaderManager::mpThis->setPass(0);
  const GlState during = GlState::take();
  // The later of two DepthFunc assignments wins; units are chosen without moving the active one.
  const std::pair<const char*, double> expected[] = {
      {"GL_DEPTH_TEST", 0},        {"GL_DEPTH_WRITEMASK", 1},          {"GL_DEPTH_FUNC", GL_ALWAYS},
      {"GL_CULL_FACE", 1},         {"GL_CULL_FACE_MODE", GL_BACK},     {"GL_BLEND", 1},
      {"GL_BLEND_SRC_RGB", GL_ONE}, {"GL_BLEND_DST_ALPHA", GL_ONE},     {"GL_BLEND_EQUATION_ALPHA", GL_MAX},
      {"GL_ALPHA_TEST", 1},        {"GL_ALPHA_TEST_FUNC", GL_GREATER}, {"GL_ALPHA_TEST_REF", 0.5},
      {"GL_POINT_SPRITE", 1},      {"unit 0 GL_COORD_REPLACE", 1},     {"GL_VERTEX_PROGRAM_POINT_SIZE", 1},
      {"GL_ACTIVE_TEXTURE", GL_TEXTURE3}, {"unit 0 GL_TEXTURE_BINDING_2D", static_cast<double>(image)},
      {"unit 1 GL_TEXTURE_BINDING_CUBE_MAP", static_cast<double>(cube)},
      {"GL_CURRENT_PROGRAM", static_cast<double>(pShader->getPasses()[0]->getProgram())}};
  for (const auto& [name, value] : expected) EXPECT_EQ(during.at(name), value) << name;
  EXPECT_EQ(during.at("GL_COLOR_WRITEMASK", 0), 0);
  EXPECT_EQ(during.at("GL_COLOR_WRITEMASK", 1), 1);
  GLint filter = 0;
  GLint wrap = 0;
  glActiveTexture(GL_TEXTURE0);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  glActiveTexture(GL_TEXTURE3);
  EXPECT_EQ(filter, GL_NEAREST);  // the sampler_state reached the texture
  EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);

  // Setting the pass again (new values before a draw) must not forget the old state.
  shaderManager::mpThis->setPass(0);
  shaderManager::mpThis->resetPass(0);
  EXPECT_EQ(GlState::take().differencesFrom(before), "");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const GLuint textures[4] = {previous2D, previousCube, image, cube};
  glDeleteTextures(4, textures);
}

TEST_F(EffectTest, StateMatricesFollowTheFlagBits) {
  resShader* pShader = use(load("matrices.fx", R"(
float4x4 modelView : shWorldMat;
float4x4 combined;
float4x4 inverseProjection;
float4x4 transposed;
void place() { gl_Position = combined * modelView * inverseProjection * transposed * gl_Vertex; }
technique T { pass P { VertexProgram = compile glslv place(); } }
)"));
  ASSERT_NE(pShader, nullptr);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, 4.0, 0.0, 2.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(1.0f, 2.0f, 3.0f);
  pShader->setStateMatrix("shWorldMat", 0x11);
  pShader->setStateMatrix("combined", 0x81);
  pShader->setStateMatrix("inverseProjection", 0x24);
  pShader->setStateMatrix("transposed", 0x12);

  auto value = [&](const std::string& name) {
    for (const resShader::ShaderParam& param : pShader->getParameters()) {
      if (param.name == name) return param.parameter->getValue();
    }
    return static_cast<const float*>(nullptr);
  };
  // Column-major: the translation in 12..14; combined is projection * model-view.
  const std::tuple<std::string, int, float> expected[] = {
      {"modelView", 12, 1.0f}, {"modelView", 14, 3.0f}, {"transposed", 3, 1.0f}, {"transposed", 11, 3.0f},
      {"combined", 0, 0.5f},   {"combined", 12, 0.5f * 1.0f - 1.0f}, {"combined", 13, 1.0f * 2.0f - 1.0f},
      {"inverseProjection", 0, 2.0f}, {"inverseProjection", 5, 1.0f}, {"inverseProjection", 12, 2.0f}};
  for (const auto& [name, index, number] : expected) {
    ASSERT_NE(value(name), nullptr) << name;
    EXPECT_FLOAT_EQ(value(name)[index], number) << name << "[" << index << "]";
  }
}
