// resShader on a real GL: loading through the resource manager, the parameter table,
// the setters' edge cases, damaged files and every fatal text of loading and setting.
#include "resource/res_shader.h"

#include "platform/gl.h"
#include <gtest/gtest.h>

#include "framework/critical_check.h"
#include "render/effect_support.h"
#include "resource/custom_texture_manager.h"
#include "resource/shader_manager.h"
#include "support/fatal_text.h"

namespace {

const std::string kCompileFatal = literalPattern("Critical error:[0 + \"shader compilation error!\"]");

}  // namespace

TEST_F(EffectTest, TableIsDepthFirstWithStructMembersAndArrayElementsAsRecords) {
  resShader* pShader = load("table.fx", R"(
struct Light { float3 position : shLightPos; half4 colour; };
uniform mat4 worldViewProj : shVProjMat;
float4 colours[4];
Light lights[2];
sampler2D image : shBaseTexture;
float gain;
void fill() { gl_FragColor = colours[0] + colours[3] + lights[1].colour + texture2D(image, vec2(gain)); }
technique T { pass P { FragmentProgram = compile glslf fill(); } }
)");
  ASSERT_NE(pShader, nullptr);
  std::vector<std::string> names;
  for (const resShader::ShaderParam& param : pShader->getParameters()) {
    names.push_back(param.name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"worldViewProj", "colours[0]", "colours[1]", "colours[2]", "colours[3]",
                                             "lights[0].position", "lights[0].colour", "lights[1].position",
                                             "lights[1].colour", "image", "gain"}));
  const std::vector<resShader::ShaderParam>& table = pShader->getParameters();
  EXPECT_EQ(table[0].type, 0x428u);
  EXPECT_EQ(table[0].semantic, "shVProjMat");
  EXPECT_EQ(table[5].type, 0x417u);
  EXPECT_EQ(table[5].semantic, "shLightPos");
  EXPECT_EQ(table[9].type, 0x42Au);
}

TEST_F(EffectTest, SameFileIsSharedAndTheLastReleaseDestroysTheEffectAndFreesTheName) {
  const std::string path = write("shared.cgfx", kFillEffect);
  resShader* first = loadPath(path);
  resShader* second = loadPath(path);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->mRefPtr, 2u);
  fx::Effect* effect = first->getEffect();
  EXPECT_TRUE(fx::Context::isEffect(effect));
  shaderManager::mpThis->mpCurrentProgram = first;
  releaseResource(mLoaded[0]);
  releaseResource(mLoaded[1]);
  EXPECT_FALSE(fx::Context::isEffect(effect));
  EXPECT_EQ(shaderManager::mpThis->mpCurrentProgram, nullptr);
  EXPECT_EQ(shaderManager::mpThis->getShaderMap().count("shared"), 0u);
  resShader* again = loadPath(path);  // the name is free again: no "shader conflict!"
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(shaderManager::mpThis->getShaderMap().at("shared"), again);
  // Only effect extensions are taken.
  EXPECT_NE(load("upper.FX", kFillEffect), nullptr);
  EXPECT_EQ(load("notes.txt", kFillEffect), nullptr);
}

TEST_F(EffectTest, EmptyOrUnmatchedNamesAndNullValuesSetNothingAndCheckNoError) {
  resShader* pShader = use(load("quiet.fx", kFillEffect));
  ASSERT_NE(pShader, nullptr);
  fx::Context& context = *shaderManager::mpThis->getContext();
  const float value[4] = {1, 2, 3, 4};
  pShader->setParameter("nobody", value);  // an unmatched name is dropped silently
  pShader->setStateMatrix("nobody", 0x80);
  pShader->setParameter("", value);
  pShader->setParameter(nullptr, value);
  pShader->setParameter("colour", nullptr);
  pShader->setParameter("nobody", nullptr);
  EXPECT_FLOAT_EQ(pShader->getParameters()[0].parameter->getValue()[0], 0.0f);
  EXPECT_EQ(context.getError(), fx::Error::None);
}

TEST_F(EffectTest, TypedSettersRefuseATypeTheValueDoesNotFitBeforeReadingIt) {
  resShader* pShader = use(load("typed.fx", R"(
float gain;
float2 offset;
float4x4 warp;
sampler2D image;
void fill() { gl_FragColor = warp * texture2D(image, offset) * gain; }
technique T { pass P { FragmentProgram = compile glslf fill(); } }
)"));
  ASSERT_NE(pShader, nullptr);
  const auto value = [&](const std::string& name) {
    for (const resShader::ShaderParam& param : pShader->getParameters()) {
      if (param.name == name) return param.parameter->getValue();
    }
    return static_cast<const float*>(nullptr);
  };
  testing::internal::CaptureStderr();
  EXPECT_FALSE(pShader->setParameter("offset", 2.0f));  // the pointer form would read a second float past it
  EXPECT_FALSE(pShader->setParameter("gain", float4x4{}));
  EXPECT_FALSE(pShader->setParameter("warp", float4{1, 2, 3, 4}));
  EXPECT_FALSE(pShader->setParameter("gain", TextureName{1}));
  EXPECT_FALSE(pShader->setParameter("image", 1.0f));
  const std::string refused = testing::internal::GetCapturedStderr();
  EXPECT_NE(refused.find("typed.fx:3: error: parameter 'offset' is declared float2 but was given a float;"),
            std::string::npos)
      << refused;
  EXPECT_NE(refused.find("parameter 'image' is declared sampler2D but was given a float;"), std::string::npos)
      << refused;
  EXPECT_FLOAT_EQ(value("offset")[0], 0.0f);
  EXPECT_FLOAT_EQ(value("gain")[0], 0.0f);

  EXPECT_TRUE(pShader->setParameter("gain", 0.5f));
  EXPECT_TRUE(pShader->setParameter("offset", float4{0.25f, 0.75f, 9.0f, 9.0f}));  // the leading two are read
  float4x4 rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<f32>(i + 1);
  EXPECT_TRUE(pShader->setParameter("warp", rows));
  EXPECT_TRUE(pShader->setParameter("image", TextureName{0}));
  EXPECT_FLOAT_EQ(value("gain")[0], 0.5f);
  EXPECT_FLOAT_EQ(value("offset")[1], 0.75f);
  EXPECT_FLOAT_EQ(value("warp")[1], 5.0f);  // kept column after column: row 1, column 0
}

TEST_F(EffectTest, TypesTheSetterLacksAreFatalOnlyWhenSet) {
  resShader* pShader = use(load("unsupported.fx", R"(
samplerRECT screen : srcCBuf0;
float4 colour;
void fill() { gl_FragColor = texture2DRect(screen, gl_FragCoord.xy) * colour; }
technique T { pass P { FragmentProgram = compile glslf fill(); } }
)"));
  ASSERT_NE(pShader, nullptr);
  const float value[16] = {1, 1, 1, 1};
  pShader->setParameter("colour", value);  // harmless while nobody names the sampler
  shaderManager::mpThis->setPass(0);
  shaderManager::mpThis->resetPass(0);
  // Every type the setter lacks takes the same branch: a rectangle sampler stands for them.
  EXPECT_EXIT(pShader->setParameter("srcCBuf0", value), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[0 + \"specified type is not supported yet.\"]"));
}

TEST_F(EffectTest, ATechniqueWithoutPassesOrNoTechniqueThatLinksIsFatal) {
  const std::string path = write("nopass.fx", "void f() { }\ntechnique Empty { }\n");
  EXPECT_EXIT(loadPath(path), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[mVecPass.size() + \"invalid pass num.\"]"));
  const std::string broken = write("nolink.fx", R"(
vec4 missing();
void broken() { gl_FragColor = missing(); }
technique A { pass P { FragmentProgram = compile glslf broken(); } }
technique B { pass P { FragmentProgram = compile glslf broken(); } }
)");
  EXPECT_EXIT(loadPath(broken), testing::ExitedWithCode(vell::kFatalExitStatus),
              "technique 'A', pass 'P' does not link.*technique 'B', pass 'P' does not link.*" +
                  literalPattern("Critical error:[0 + \"No valid technique found.\\n\"]"));
}

TEST_F(EffectTest, DamagedFilesAndEngineParametersOfTheWrongTypeNameFileLineAndProblemThenStop) {
  // The engine hands TIME_RATE_EFFECT one float: a float4x4 would read fifteen past it.
  const std::string fill = "\nvoid fill() { gl_FragColor = colour; }\n"
                           "technique T { pass P { FragmentProgram = compile glslf fill(); } }\n";
  struct Case {
    const char* file;
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      // Damage the reader finds (its own tests list every kind) stops the load too.
      {"state.fx", "technique T {\n pass P {\n  ZEnable = true;\n }\n}\n",
       "state\\.fx:3: error: unknown state name 'ZEnable'"},
      {"matrix.fx", "\nfloat4 colour;\nuniform float4x4 TIME_RATE_EFFECT;" + fill,
       "matrix\\.fx:3: error: parameter 'TIME_RATE_EFFECT' is declared float4x4; the engine sets 1 float"},
      {"member.fx", "\nfloat4 colour;\nstruct L { float a;\n float4 pos : shLightPos; };\nL lights[2];" + fill,
       "member\\.fx:4: error: parameter 'lights\\[0\\]\\.pos' \\('shLightPos'\\) is declared float4; the engine sets 3 floats"},
      {"integer.fx", "\nfloat4 colour;\nint TIME_RATE;" + fill, "integer\\.fx:3: error: parameter 'TIME_RATE' is declared int"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = write(c.file, c.text);
    EXPECT_EXIT(loadPath(path), testing::ExitedWithCode(vell::kFatalExitStatus),
                std::string(c.message) + ".*" + kCompileFatal);
  }
  // Types the values fit load: fewer components read a prefix of the engine's value.
  resShader* pShader = load("fits.fx", R"(
float4 colour;
float TIME_RATE_EFFECT;
half2 shMqoColor;
float2 ViewportSize;
mat4 projMat;
samplerCUBE workBuf3;
float3 shLightPos;
void fill() { gl_FragColor = colour; }
technique T { pass P { FragmentProgram = compile glslf fill(); } }
)");
  ASSERT_NE(pShader, nullptr);
  EXPECT_EQ(pShader->getParameters().size(), 7u);
}

TEST_F(EffectTest, AParameterTheEffectTextureTableNamesMustBeASampler) {
  std::FILE* pTable = std::tmpfile();
  std::fputs("data\\texture\\vignette.tga\tshVignette\n", pTable);
  std::rewind(pTable);
  customTextureManager::mpThis->loadDefinitions(pTable);
  std::fclose(pTable);
  ASSERT_EQ(customTextureManager::mpThis->getEntries().size(), 1u);
  // The table hands the texture's name to setParameter, which would read a float4 from it.
  const std::string path = write("vignette.fx", "float4 colour;\n\nfloat4 shade : shVignette;\n"
                                                "void fill() { gl_FragColor = colour * shade; }\n"
                                                "technique T { pass P { FragmentProgram = compile glslf fill(); } }\n");
  EXPECT_EXIT(loadPath(path), testing::ExitedWithCode(vell::kFatalExitStatus),
              "vignette\\.fx:3: error: parameter 'shade' \\('shVignette'\\) is declared float4; the effect-texture "
              "table sets a texture.*" + kCompileFatal);
  EXPECT_NE(load("sampled.fx", "float4 colour;\nsampler2D shVignette;\nvoid fill() { gl_FragColor = colour; }\n"
                               "technique T { pass P { FragmentProgram = compile glslf fill(); } }\n"),
            nullptr);
  std::FILE* pEmpty = std::tmpfile();
  customTextureManager::mpThis->loadDefinitions(pEmpty);
  std::fclose(pEmpty);
}
