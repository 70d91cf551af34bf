// Effects on a real GL (llvmpipe under Xvfb): pixels drawn through passes, technique
// fallback, deferred values, state and texture restoration, and compile diagnostics.
#include "platform/gl.h"
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "framework/critical_check.h"
#include "render/effect_support.h"
#include "support/fatal_text.h"
#include "support/gl_state.h"
#include "support/source_dir.h"

namespace {

const char* const kTwoPassBlend = R"(
uniform float4x4 projMat;
float4 base;
float4 overlay : shOverlay;

void transform() { gl_Position = projMat * gl_Vertex; }
void fillBase() { gl_FragColor = base; }
vec4 fillOverlay() { return overlay; }

technique Blend {
  pass Base {
    VertexProgram = compile glslv transform();
    FragmentProgram = compile glslf fillBase();
    BlendEnable = false;
  }
  pass Over {
    VertexProgram = compile glslv transform();
    FragmentProgram = compile glslf fillOverlay();
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
  }
}
)";

void expectNear(const std::array<int, 4>& actual, const std::array<int, 4>& expected) {
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(actual[i], expected[i], 2) << "channel " << i;
  }
}

GLint uniformLocation(resShader* pShader, u32 pass, const char* name) {
  return glGetUniformLocation(pShader->mVecPass[pass]->getProgram(), name);
}

std::array<float, 4> uniformValue(resShader* pShader, u32 pass, const char* name) {
  std::array<float, 4> value{};
  glGetUniformfv(pShader->mVecPass[pass]->getProgram(), uniformLocation(pShader, pass, name), value.data());
  return value;
}

}  // namespace

TEST_F(EffectTest, QuadThroughTwoPassBlendReadsBackTheBlendedColour) {
  resShader* pShader = use(load("blend.fx", kTwoPassBlend));
  ASSERT_NE(pShader, nullptr);
  OffscreenTarget target(16, 16);
  ASSERT_TRUE(target.complete());
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  setUnitProjection();

  const float base[4] = {0.8f, 0.2f, 0.0f, 1.0f};
  const float overlay[4] = {0.0f, 0.0f, 1.0f, 0.5f};
  pShader->setParameter("base", base);
  pShader->setParameter("shOverlay", overlay);  // by semantic
  pShader->setStateMatrix("projMat", 0x81);
  drawAllPasses();
  expectNear(target.pixel(8, 8), {102, 25, 128, 191});
  expectNear(target.pixel(0, 15), {102, 25, 128, 191});
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

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
  EXPECT_EQ(pShader->mTechnique->getName(), "Plain");
  ASSERT_EQ(pShader->getPassNum(), 2u);
  EXPECT_EQ(pShader->mVecPass[0]->getName(), "A");
  EXPECT_EQ(pShader->mVecPass[1]->getName(), "B");
  EXPECT_NE(log.find("fallback.fx:5: error: technique 'Ambitious', pass 'P' does not link"), std::string::npos) << log;
}

TEST_F(EffectTest, ValueSetAfterSetPassReachesGlOnlyAtTheNextSetPass) {
  resShader* pShader = use(load("deferred.fx", R"(
float4 value;
void fill() { gl_FragColor = value; }
technique T { pass P { FragmentProgram = compile glslf fill(); } }
)"));
  ASSERT_NE(pShader, nullptr);
  const float first[4] = {0.1f, 0.2f, 0.3f, 0.4f};
  const float second[4] = {0.5f, 0.6f, 0.7f, 0.8f};
  pShader->setParameter("value", first);
  EXPECT_EQ(uniformValue(pShader, 0, "value"), (std::array<float, 4>{0, 0, 0, 0}));  // not yet in GL
  shaderManager::mpThis->setPass(0);
  EXPECT_EQ(uniformValue(pShader, 0, "value"), (std::array<float, 4>{0.1f, 0.2f, 0.3f, 0.4f}));
  pShader->setParameter("value", second);
  EXPECT_EQ(uniformValue(pShader, 0, "value"), (std::array<float, 4>{0.1f, 0.2f, 0.3f, 0.4f}));
  shaderManager::mpThis->setPass(0);
  EXPECT_EQ(uniformValue(pShader, 0, "value"), (std::array<float, 4>{0.5f, 0.6f, 0.7f, 0.8f}));
  shaderManager::mpThis->resetPass(0);
}

namespace {

const char* const kEveryState = R"(
sampler2D first : shBaseTexture = sampler_state { MinFilter = Nearest; WrapS = ClampToEdge; };
samplerCUBE second;
void fill() { gl_FragColor = texture2D(first, vec2(0.5)) + textureCube(second, vec3(1.0)); }
technique T {
  pass P {
    FragmentProgram = compile glslf fill();
    DepthTestEnable = false;
    DepthMask = true;
    DepthFunc = LEqual;
    CullFaceEnable = true;
    CullFace = Back;
    BlendEnable = true;
    BlendFunc = int2(One, One);
    BlendEquation = Max;
    AlphaTestEnable = true;
    AlphaFunc = float2(Greater, 0.5);
    ColorMask = bool4(false, true, false, true);
    PointSpriteEnable = true;
    PointSpriteCoordReplace = true;
    VertexProgramPointSizeEnable = true;
    DepthFunc = Always;
  }
}
)";

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
  resShader* pShader = use(load("states.fx", kEveryState));
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
      {"GL_CURRENT_PROGRAM", static_cast<double>(pShader->mVecPass[0]->getProgram())}};
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

TEST_F(EffectTest, OneValueByNameReachesTheNamedParameterAndTheOneWithThatSemantic) {
  resShader* pShader = use(load("lit.fx", R"(
float4 shKd;
float4 diffuse : shKd;
float4 other : shKs;
void fill() { gl_FragColor = shKd + diffuse + other; }
technique T { pass P { FragmentProgram = compile glslf fill(); } }
)"));
  ASSERT_NE(pShader, nullptr);
  const float colour[4] = {0.25f, 0.5f, 0.75f, 1.0f};
  pShader->setParameter("shKd", colour);
  shaderManager::mpThis->setPass(0);
  EXPECT_EQ(uniformValue(pShader, 0, "shKd"), (std::array<float, 4>{0.25f, 0.5f, 0.75f, 1.0f}));
  EXPECT_EQ(uniformValue(pShader, 0, "diffuse"), (std::array<float, 4>{0.25f, 0.5f, 0.75f, 1.0f}));
  EXPECT_EQ(uniformValue(pShader, 0, "other"), (std::array<float, 4>{0, 0, 0, 0}));
  shaderManager::mpThis->resetPass(0);
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

  auto value = [&](const char* name) {
    for (const resShader::ShaderParam& param : pShader->mVecParam) {
      if (param.name == name) {
        return param.parameter->getValue();
      }
    }
    return static_cast<const float*>(nullptr);
  };
  const float* modelView = value("modelView");
  EXPECT_FLOAT_EQ(modelView[12], 1.0f);  // column-major translation
  EXPECT_FLOAT_EQ(modelView[14], 3.0f);
  const float* transposed = value("transposed");
  EXPECT_FLOAT_EQ(transposed[3], 1.0f);
  EXPECT_FLOAT_EQ(transposed[11], 3.0f);
  const float* combined = value("combined");  // projection * model-view
  EXPECT_FLOAT_EQ(combined[0], 0.5f);
  EXPECT_FLOAT_EQ(combined[12], 0.5f * 1.0f - 1.0f);
  EXPECT_FLOAT_EQ(combined[13], 1.0f * 2.0f - 1.0f);
  const float* inverse = value("inverseProjection");
  EXPECT_FLOAT_EQ(inverse[0], 2.0f);
  EXPECT_FLOAT_EQ(inverse[5], 1.0f);
  EXPECT_FLOAT_EQ(inverse[12], 2.0f);
}

TEST_F(EffectTest, SyntaxErrorNamesTheFileTheLineTheTechniqueAndTheDriverLog) {
  const std::string path = write("broken.fx", R"(float4 colour;
void fill()
{
  gl_FragColor = colour
}
technique T { pass Only { FragmentProgram = compile glslf fill(); } }
)");
  EXPECT_EXIT(loadPath(path), testing::ExitedWithCode(vell::kFatalExitStatus),
              "broken\\.fx:5: error: fragment program 'fill' of technique 'T', pass 'Only' does not compile\n"
              ".*>     5 | \\}\n.*driver log:.*" +
                  literalPattern("Critical error:[0 + \"No valid technique found.\\n\"]"));
}

TEST_F(EffectTest, DocumentedExampleLoadsAndDraws) {
  std::ifstream file(std::string(orvaneSourceDir()) + "/docs/effects.md");
  const std::string document((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::size_t begin = document.find("```c\n");
  ASSERT_NE(begin, std::string::npos);
  const std::size_t end = document.find("```\n", begin + 5);
  resShader* pShader = use(load("glow.fx", document.substr(begin + 5, end - begin - 5)));
  ASSERT_NE(pShader, nullptr);
  EXPECT_EQ(pShader->mTechnique->getName(), "Full");
  ASSERT_EQ(pShader->getPassNum(), 2u);

  OffscreenTarget target(8, 8);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  setUnitProjection();
  const GLuint image = makeTexture();  // white
  const float timeRate = 0.5f;
  const float colour[4] = {0.5f, 0.25f, 1.0f, 1.0f};
  const float light[4] = {0.2f, 0.4f, 0.0f, 1.0f};
  pShader->setParameter("srcCBuf0", &image);
  pShader->setParameter("TIME_RATE", &timeRate);
  pShader->setParameter("shMqoColor", colour);
  pShader->setParameter("lights[0].colour", light);
  pShader->setStateMatrix("projMat", 0x81);
  drawAllPasses();
  // Base: white * colour; Add: + light * 0.5 * 2.0 * alpha 0.5.
  expectNear(target.pixel(4, 4), {153, 115, 255, 255});
  glDeleteTextures(1, &image);
}
