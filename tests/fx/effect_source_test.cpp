// The effect-file reader without GL: declarations, techniques and states, the GLSL it
// builds per program, and the line-numbered errors that damaged files produce.
#include "fx/effect_source.h"

#include "platform/gl.h"
#include <gtest/gtest.h>

#include <string>

#include "support/source_dir.h"

namespace {

// Two techniques, structs, arrays, samplers and states; its line numbers are checked.
std::string twoStageEffect() { return testData("effects/two_stage.fx"); }

fx::EffectDescription parsed(const std::string& text) {
  fx::EffectDescription effect;
  fx::SourceError error;
  EXPECT_TRUE(fx::parseEffect(text, effect, error)) << error.line << ": " << error.message;
  return effect;
}

fx::SourceError failure(const std::string& text) {
  fx::EffectDescription effect;
  fx::SourceError error;
  EXPECT_FALSE(fx::parseEffect(text, effect, error));
  return error;
}

}  // namespace

TEST(EffectReader, ReadsParametersWithSemanticsArraysStructsAndInitialValues) {
  const fx::EffectDescription effect = parsed(twoStageEffect());
  ASSERT_EQ(effect.parameters.size(), 5u);
  EXPECT_EQ(effect.parameters[0].name, "worldViewProj");
  EXPECT_EQ(effect.parameters[0].semantic, "shVProjMat");
  EXPECT_EQ(effect.parameters[1].type, "Light");
  EXPECT_EQ(effect.parameters[1].arraySize, 2);
  EXPECT_EQ(effect.parameters[2].initialValue, (std::vector<float>{1, 0.5f, 0.25f, 1}));
  EXPECT_EQ(effect.parameters[3].semantic, "TIME_RATE");
  EXPECT_EQ(effect.parameters[3].initialValue, (std::vector<float>{2}));
  ASSERT_EQ(effect.parameters[4].samplerStates.size(), 3u);
  EXPECT_EQ(effect.parameters[4].samplerStates[0].parameter, static_cast<u32>(GL_TEXTURE_MIN_FILTER));
  EXPECT_EQ(effect.parameters[4].samplerStates[0].value, static_cast<u32>(GL_LINEAR_MIPMAP_LINEAR));
  EXPECT_EQ(effect.parameters[4].samplerStates[2].value, static_cast<u32>(GL_CLAMP_TO_EDGE));
  ASSERT_EQ(effect.structs.size(), 1u);
  EXPECT_EQ(effect.structs[0].members[0].semantic, "shLightPos");
}

TEST(EffectReader, ReadsTechniquesPassesProgramsAndStatesInOrder) {
  const fx::EffectDescription effect = parsed(twoStageEffect());
  ASSERT_EQ(effect.techniques.size(), 2u);
  const fx::TechniqueDecl& main = effect.techniques[0];
  EXPECT_EQ(main.name, "Main");
  ASSERT_EQ(main.passes.size(), 2u);
  EXPECT_EQ(main.passes[0].name, "First");
  EXPECT_EQ(main.passes[1].name, "");
  ASSERT_TRUE(main.passes[0].vertex.has_value());
  EXPECT_EQ(main.passes[0].vertex->entry, "vertexMain");
  EXPECT_EQ(main.passes[0].fragment->entry, "fragmentMain");
  EXPECT_FALSE(main.passes[1].vertex.has_value());

  const std::vector<fx::StateAssignment>& states = main.passes[0].states;
  ASSERT_EQ(states.size(), 5u);
  EXPECT_EQ(states[0].id, fx::StateId::DepthTestEnable);
  EXPECT_EQ(states[0].values[0], 0u);
  EXPECT_EQ(states[1].id, fx::StateId::BlendFunc);
  EXPECT_EQ(states[1].values[0], static_cast<u32>(GL_SRC_ALPHA));
  EXPECT_EQ(states[1].values[3], static_cast<u32>(GL_ONE_MINUS_SRC_ALPHA));  // alpha follows colour
  EXPECT_EQ(states[2].id, fx::StateId::BlendEquation);  // state names ignore case
  EXPECT_EQ(states[2].values[1], static_cast<u32>(GL_MAX));
  EXPECT_FLOAT_EQ(states[3].reference, 0.25f);
  EXPECT_EQ(states[4].values[3], 0u);
  EXPECT_EQ(states[4].line, 23);
}

TEST(EffectReader, BuildsEachStageFromTheFunctionsItsEntryReaches) {
  const fx::EffectDescription effect = parsed(twoStageEffect());
  const std::string vertex = fx::buildProgramSource(effect, *effect.techniques[0].passes[0].vertex);
  const std::string fragment = fx::buildProgramSource(effect, *effect.techniques[0].passes[0].fragment);

  EXPECT_EQ(vertex.rfind("#version 120\n", 0), 0u);
  EXPECT_NE(vertex.find("uniform mat4 worldViewProj;"), std::string::npos);
  EXPECT_NE(vertex.find("struct Light { vec3 position; vec4 color; };"), std::string::npos);
  EXPECT_NE(vertex.find("uniform Light lights[2];"), std::string::npos);
  EXPECT_NE(vertex.find("attribute vec4 extra;"), std::string::npos);
  EXPECT_EQ(vertex.find("fragmentMain"), std::string::npos);
  EXPECT_NE(vertex.find("void main() { vertexMain(); }"), std::string::npos);

  EXPECT_EQ(fragment.find("vertexMain"), std::string::npos);  // gl_Vertex is no fragment built-in
  EXPECT_EQ(fragment.find("attribute"), std::string::npos);
  EXPECT_NE(fragment.find("vec4 shade(vec2 at)"), std::string::npos);  // reached through the entry
  EXPECT_NE(fragment.find("void main() { gl_FragColor = fragmentMain(); }"), std::string::npos);
  EXPECT_NE(fragment.find("varying vec2 uv;"), std::string::npos);
}

TEST(EffectReader, BuiltSourcesKeepTheFileLinesTurnOnExtensionsAndPassEntryArguments) {
  struct Case {
    std::string text;
    std::vector<std::string> present, absent;
  };
  const Case cases[] = {
      // GLSL 1.20 numbers the line after "#line N" as N + 1.
      {twoStageEffect(), {"#line 11\nvoid vertexMain()", "#line 2\nuniform mat4 worldViewProj;"}, {}},
      {"samplerRECT screen;\nvoid main() { gl_FragColor = texture2DRect(screen, gl_FragCoord.xy); }\n"
       "technique T { pass P { FragmentProgram = compile glslf main(); } }\n",
       {"#extension GL_ARB_texture_rectangle : enable", "uniform sampler2DRect screen;"},
       {"main();"}},
      {"void fill(vec4 colour) { gl_FragColor = colour; }\n"
       "technique T { pass P { FragmentProgram = compile glslf fill(vec4(1.0, 0.0, 0.0, 1.0)); } }\n",
       {"void main() { fill(vec4(1.0, 0.0, 0.0, 1.0)); }"},
       {}},
  };
  for (const Case& c : cases) {
    const fx::EffectDescription effect = parsed(c.text);
    const fx::PassDecl& pass = effect.techniques[0].passes[0];
    const std::string source = fx::buildProgramSource(effect, pass.vertex ? *pass.vertex : *pass.fragment);
    for (const std::string& text : c.present) EXPECT_NE(source.find(text), std::string::npos) << text << "\n" << source;
    for (const std::string& text : c.absent) EXPECT_EQ(source.find(text), std::string::npos) << text << "\n" << source;
  }
}

TEST(EffectReaderErrors, DamagedFilesNameTheLineAndTheProblem) {
  struct Case {
    std::string text;
    int line;
    const char* problem;
  };
  const Case cases[] = {
      {"// only a comment\n\n", 3, "no technique"},
      {"technique T {\n pass P {\n DepthTestEnable = true;\n", 2, "unbalanced '{'"},
      {"void f() { }\n}\ntechnique T { pass P { } }\n", 2, "unexpected '}'"},
      {"void f() { ( }\n", 1, "unbalanced brackets"},
      {"technique T {\n pass P {\n  DepthTestEnabel = true;\n }\n}\n", 3, "unknown state name 'DepthTestEnabel'"},
      {"technique T { pass P {\n DepthFunc = Sometimes; } }\n", 2, "unknown value 'Sometimes'"},
      {"technique T { pass P {\n BlendFunc = int2(One); } }\n", 2, "takes 2 values"},
      {"\nuniform flaot4 colour;\ntechnique T { pass P { } }\n", 2, "unknown type 'flaot4'"},
      {"struct S {\n vec9 member;\n};\n", 2, "unknown type 'vec9'"},
      {"technique T { pass P {\n VertexProgram = compile vp40 main(); } }\n", 2, "unsupported profile 'vp40'"},
      {"technique T { pass P {\n FragmentProgram = compile glslf missing(); } }\n", 2, "entry function 'missing' is not defined"},
      {"float a;\nfloat a;\n", 2, "already declared at line 1"},
      {"float4 c = float4(1, 2);\n", 1, "takes 4 values"},
      {"sampler2D s = sampler_state {\n Anisotropy = 4;\n};\n", 2, "unknown sampler state 'Anisotropy'"},
      {"/* never closed\ntechnique T { pass P { } }\n", 1, "unterminated comment"},
      {"technique T { pass P { } }\n\x01\x02\xff\xfe", 2, "unexpected byte 0x01"},
      {"technique T { pass P { } }\n@", 2, "unexpected character '@'"},
      {"struct S { float4 a[4096]; };\nS many[4096];\n", 2, "more than 65536 parameter values"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    const fx::SourceError error = failure(c.text);
    EXPECT_EQ(error.line, c.line) << error.message;
    EXPECT_NE(error.message.find(c.problem), std::string::npos) << error.message;
  }
}

namespace {

// Structs S0 .. S<levels-1>, each holding two members of the one before, with a
// technique so that a file within the limits reads; about 1.2 KB for 40 levels.
std::string nestedStructs(int levels, const std::string& tail = "") {
  std::string text = "struct S0 { float a; float b; };\n";
  for (int level = 1; level < levels; ++level) {
    const std::string inner = "S" + std::to_string(level - 1);
    text += "struct S" + std::to_string(level) + " { " + inner + " a; " + inner + " b; };\n";
  }
  return text + tail + "technique T { pass P { } }\n";
}

}  // namespace

TEST(EffectReaderErrors, NestedStructsAreCappedInDepthAndValuesWithoutWalkingThem) {
  // Forty levels two members wide (about 1.2 KB, 2^40 values): refused where the
  // values first outgrow the limit, without walking the levels below.
  fx::SourceError error = failure(nestedStructs(40));
  EXPECT_EQ(error.line, 16);
  EXPECT_NE(error.message.find("struct 'S15' holds more than 65536 parameter values"), std::string::npos)
      << error.message;
  // A parameter of a large struct is refused at its own line.
  error = failure(nestedStructs(14, "S13 many[8];\n"));
  EXPECT_EQ(error.line, 15);
  EXPECT_NE(error.message.find("more than 65536 parameter values"), std::string::npos) << error.message;
  // One member each: sixteen levels are fine, the seventeenth is refused.
  std::string deep = "struct D0 { float a; };\n";
  for (int level = 1; level < 16; ++level) {
    deep += "struct D" + std::to_string(level) + " { D" + std::to_string(level - 1) + " inner; };\n";
  }
  error = failure(deep + "struct D16 {\n float before;\n D15 inner; };\ntechnique T { pass P { } }\n");
  EXPECT_EQ(error.line, 19);
  EXPECT_NE(error.message.find("struct 'D16' nests structs more than 16 deep"), std::string::npos) << error.message;
  const fx::EffectDescription effect = parsed(deep + "D15 value;\ntechnique T { pass P { } }\n");
  ASSERT_EQ(effect.structs.size(), 16u);
  EXPECT_EQ(effect.structs.back().depth, 16);
  EXPECT_EQ(effect.parameters.size(), 1u);
}

TEST(EffectDiagnostics, FindsTheLineInEitherDriverLogShapeAndListsNumberedLinesAroundIt) {
  EXPECT_EQ(fx::lineFromDriverLog("0:12(5): error: syntax error, unexpected '}'"), 12);
  EXPECT_EQ(fx::lineFromDriverLog("0(7) : error C0000: syntax error"), 7);
  EXPECT_EQ(fx::lineFromDriverLog("warning in shader v2.0\n0:33(1): error: x"), 33);
  EXPECT_EQ(fx::lineFromDriverLog("error: linking failed"), 0);
  EXPECT_EQ(fx::listLines("one\ntwo\nthree\nfour\nfive\nsix", 4, 1), "      3 | three\n>     4 | four\n      5 | five\n");
  EXPECT_EQ(fx::listLines("only", 1, 2), ">     1 | only\n");
}
