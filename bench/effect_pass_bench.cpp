// CPU cost of one full-screen post pass's set-up on an effect of 40 parameters: 15
// setParameter calls, one setStateMatrix, setPass and resetPass (no drawing).
// Needs a display: run it under xvfb-run.
#include "platform/gl.h"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/window.h"
#include "platform/gl_window.h"
#include "platform/video.h"
#include "resource/current_effect.h"
#include "resource/shader_manager.h"
#include "resource/res_shader.h"
#include "resource/resource_manager.h"

namespace {

// 4 screen samplers, the projection, 3 time rates, the viewport size and 31 float4s.
std::string postEffectText() {
  std::string text =
      "uniform float4x4 projMat;\n"
      "sampler2D srcCBuf0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };\n"
      "sampler2D srcCBuf1;\nsampler2D srcZBuf0;\nsampler2D workBuf0;\n"
      "float TIME_RATE_0;\nfloat TIME_RATE_1;\nfloat TIME_RATE_EFFECT;\nfloat2 ViewportSize;\n";
  std::string sum = "vec4(0.0)";
  for (int i = 0; i < 31; ++i) {
    text += "float4 tweak" + std::to_string(i) + ";\n";
    sum += " + tweak" + std::to_string(i);
  }
  text +=
      "varying vec2 uv;\n"
      "void screenVertex() { gl_Position = projMat * gl_Vertex; uv = gl_MultiTexCoord0.xy; }\n"
      "void screenFragment() {\n"
      "  vec4 colour = texture2D(srcCBuf0, uv) + texture2D(srcCBuf1, uv) + texture2D(srcZBuf0, uv) + texture2D(workBuf0, uv);\n"
      "  gl_FragColor = colour * (TIME_RATE_0 + TIME_RATE_1 + TIME_RATE_EFFECT) + vec4(ViewportSize, 0.0, 0.0) + " +
      sum + ";\n}\n";
  text +=
      "technique Post { pass Compose {\n"
      "  VertexProgram = compile glslv screenVertex();\n"
      "  FragmentProgram = compile glslf screenFragment();\n"
      "  DepthTestEnable = false; DepthMask = false; CullFaceEnable = false; BlendEnable = false;\n"
      "} }\n";
  return text;
}

class Fixture {
 public:
  Fixture() {
    if (!platform::initVideo() || !mWindow.create("bench", CWindow::STYLE_POPUP, 0, 0, 64, 64) ||
        !mWindow.createGLContext(0) || !mWindow.makeCurrent() || !platform::initGLFunctions()) {
      return;
    }
    shaderManager::mpThis->initialize();
    mDirectory = std::filesystem::temp_directory_path() / "orvane_effect_pass_bench";
    std::filesystem::create_directories(mDirectory);
    const std::string path = (mDirectory / "post.fx").string();
    std::ofstream(path, std::ios::binary) << postEffectText();
    mpShader = static_cast<resShader*>(resourceManager::mpThis->getResource(path.c_str(), resShader::DTI));
    glGenTextures(4, mTextures);
  }
  ~Fixture() {
    if (mpShader) {
      glDeleteTextures(4, mTextures);
      releaseResource(mpShader);
      shaderManager::mpThis->destroyContext();
    }
    std::error_code ignored;
    std::filesystem::remove_all(mDirectory, ignored);
  }
  resShader* shader() const { return mpShader; }
  const GLuint* textures() const { return mTextures; }

 private:
  CWindowGL mWindow;
  std::filesystem::path mDirectory;
  resShader* mpShader = nullptr;
  GLuint mTextures[4] = {};
};

Fixture& fixture() {
  static Fixture instance;
  return instance;
}

void BM_PostPassSetUp(benchmark::State& state) {
  resShader* pShader = fixture().shader();
  if (!pShader) {
    state.SkipWithError("no GL context or the effect did not load (run under xvfb-run)");
    return;
  }
  if (pShader->getParameters().size() != 40) {
    state.SkipWithError("the effect should have 40 parameters");
    return;
  }
  shaderManager& manager = *shaderManager::mpThis;
  const CurrentEffect current(pShader);
  const GLuint* textures = fixture().textures();
  const float time[4] = {0.25f, 0.5f, 0.75f, 1.0f};
  const float viewport[2] = {1280.0f, 720.0f};
  const char* const textureNames[4] = {"srcCBuf0", "srcCBuf1", "srcZBuf0", "workBuf0"};
  const char* const tweakNames[7] = {"tweak0", "tweak5", "tweak10", "tweak15", "tweak20", "tweak25", "tweak30"};
  for (auto _ : state) {
    for (int i = 0; i < 4; ++i) {
      pShader->setParameter(textureNames[i], &textures[i]);
    }
    pShader->setParameter("TIME_RATE_0", &time[0]);
    pShader->setParameter("TIME_RATE_1", &time[1]);
    pShader->setParameter("TIME_RATE_EFFECT", &time[2]);
    pShader->setParameter("ViewportSize", viewport);
    for (const char* name : tweakNames) {
      pShader->setParameter(name, time);
    }
    pShader->setStateMatrix("projMat", state_matrix::kModelViewProjection | state_matrix::kIdentity);
    manager.setPass(0);
    manager.resetPass(0);
  }
  glFinish();
}
BENCHMARK(BM_PostPassSetUp)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
