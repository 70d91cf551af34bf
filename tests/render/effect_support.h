// Shared set-up of the effect GL tests: a GL context with an initialised shader manager,
// effects written to a temporary folder and loaded through the resource manager, an
// off-screen target to read pixels back from, and small texture and quad helpers.
#pragma once

#include "platform/gl.h"
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "resource/res_shader.h"
#include "resource/resource_manager.h"
#include "resource/shader_manager.h"
#include "support/gl_test_context.h"
#include "support/temp_dir.h"

// The unit square under an orthographic 0..1 projection, the shape of every full-screen pass.
inline void setUnitProjection() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

inline void drawUnitQuad() {
  glBegin(GL_QUADS);
  for (const auto& [x, y] : {std::pair{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}}) {
    glTexCoord2f(x, y);
    glVertex2f(x, y);
  }
  glEnd();
}

// One pass that fills with the float4 `colour`.
inline constexpr const char* kFillEffect = R"(
float4 colour;
void fill() { gl_FragColor = colour; }
technique T { pass P { FragmentProgram = compile glslf fill(); } }
)";

class EffectTest : public testing::Test {
 protected:
  void SetUp() override {
    // Forked children cannot draw with llvmpipe (its threads stay behind), so death
    // tests start afresh and build their own context.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_TRUE(mGl.ok()) << mGl.error();
    shaderManager::mpThis->initialize();
    shaderManager::mpThis->getContext()->setGlErrorChecks(true);
  }

  void TearDown() override {
    for (resShader*& pShader : mLoaded) releaseResource(pShader);  // one release per request, as holders do
    shaderManager::mpThis->destroyContext();
  }

  std::string write(const std::string& name, const std::string& text) { return mDir.write(name, text); }

  resShader* load(const std::string& name, const std::string& text) { return loadPath(write(name, text)); }

  resShader* loadPath(const std::string& path) {
    auto* pShader = static_cast<resShader*>(resourceManager::mpThis->getResource(path.c_str(), resShader::DTI));
    mLoaded.push_back(pShader);
    return pShader;
  }

  // Makes the effect current, as every drawing user does.
  resShader* use(resShader* pShader) {
    shaderManager::mpThis->mpCurrentProgram = pShader;
    return pShader;
  }

  // Draws the unit quad once through every pass of the current program.
  static void drawAllPasses() {
    shaderManager& manager = *shaderManager::mpThis;
    for (u32 pass = 0; pass < manager.mpCurrentProgram->getPassNum(); ++pass) {
      manager.setPass(pass);
      drawUnitQuad();
      manager.resetPass(pass);
    }
  }

  GlTestContext mGl{64, 64};
  TempDir mDir;
  std::vector<resShader*> mLoaded;
};

// An RGBA8 colour target bound as the framebuffer while it lives.
class OffscreenTarget {
 public:
  OffscreenTarget(int width, int height) {
    glGenTextures(1, &mTexture);
    glBindTexture(GL_TEXTURE_2D, mTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffersEXT(1, &mFramebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, mFramebuffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, mTexture, 0);
    glViewport(0, 0, width, height);
  }
  ~OffscreenTarget() {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glDeleteFramebuffersEXT(1, &mFramebuffer);
    glDeleteTextures(1, &mTexture);
  }
  bool complete() const { return glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT; }
  std::array<int, 4> pixel(int x, int y) const {
    unsigned char rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
  }

 private:
  GLuint mFramebuffer = 0;
  GLuint mTexture = 0;
};

inline GLuint makeTexture(GLenum target = GL_TEXTURE_2D) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  GLint previous = 0;
  glGetIntegerv(target == GL_TEXTURE_2D ? GL_TEXTURE_BINDING_2D : GL_TEXTURE_BINDING_CUBE_MAP, &previous);
  glBindTexture(target, texture);
  const unsigned char white[4] = {255, 255, 255, 255};
  if (target == GL_TEXTURE_2D) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  }
  glBindTexture(target, static_cast<GLuint>(previous));
  return texture;
}

