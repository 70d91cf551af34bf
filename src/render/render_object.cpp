// Passes and standard parameters of render objects.
#include "render/render_object.h"

#include "platform/gl.h"

#include "framework/critical_check.h"
#include "render/camera_manager.h"
#include "render/light_manager.h"
#include "resource/res_shader.h"
#include "resource/shader_manager.h"

namespace {

constexpr u32 kModelViewMatrix = 17;
constexpr u32 kModelViewProjectionMatrix = 128;

void drawImmediate(std::vector<cRenderObject::ImmediateVertex>& vertices, GLenum mode) {
  if (vertices.empty()) {
    return;
  }
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glInterleavedArrays(GL_T2F_N3F_V3F, 0, vertices.data());
  glDrawArrays(mode, 0, static_cast<GLsizei>(vertices.size()));
  glPopClientAttrib();
  vertices.clear();
}

}  // namespace

void setCurrentParameter(const char* name, const void* value) {
  resShader* mpCurrentProgram = shaderManager::mpThis->mpCurrentProgram;
  CRITICAL_CHECK(mpCurrentProgram, "");
  mpCurrentProgram->setParameter(name, value);
}

void setCurrentStateMatrix(const char* name, u32 code) {
  resShader* mpCurrentProgram = shaderManager::mpThis->mpCurrentProgram;
  CRITICAL_CHECK(mpCurrentProgram, "");
  mpCurrentProgram->setStateMatrix(name, code);
}

void cRenderObject::beginPass(u32 pass) {
  // Values reach the program when a pass is set, so the standard parameters are
  // set first and the pass applied after them: the order the effect needs to see
  // this draw's matrices and not the previous one's.
  setCurrentStateMatrix("shWorldMat", kModelViewMatrix);
  setCurrentStateMatrix("shViewMat", kModelViewMatrix);
  setCurrentStateMatrix("shVProjMat", kModelViewProjectionMatrix);
  const f32 ambient[4] = {0.1f, 0.1f, 0.1f, 0.1f};
  const f32 lightColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const f32 ke[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  const f32 ka[4] = {0.8f, 0.8f, 0.8f, 0.8f};
  const f32 kd[4] = {0.6f, 0.6f, 0.6f, 0.6f};
  const f32 ks[4] = {0.85f, 0.85f, 0.85f, 0.85f};
  const f32 shininess = 8.0f;
  setCurrentParameter("shAmbient", ambient);
  setCurrentParameter("shLightColor", lightColor);
  setCurrentParameter("shKe", ke);
  setCurrentParameter("shKa", ka);
  setCurrentParameter("shKd", kd);
  setCurrentParameter("shKs", ks);
  setCurrentParameter("shShininess", &shininess);
  setCurrentParameter("shEyePos", cameraManager::mpThis->mEyePos);
  setCurrentParameter("shLightPos", lightManager::mpThis->mLightPos);
  shaderManager::mpThis->setPass(pass);
}

void cRenderObject::endPass(u32 pass) {
  drawImmediate(triangleVertices, GL_TRIANGLES);
  drawImmediate(fanVertices, GL_TRIANGLE_FAN);
  shaderManager::mpThis->resetPass(pass);
}

void cRenderObject::draw(f32 /*time*/) {
  if (!shader) {
    drawGeometry(0);
    return;
  }
  shaderManager::mpThis->mpCurrentProgram = shader;
  // beginPass and endPass apply and reset the pass themselves, once per pass.
  for (u32 pass = 0; pass < shader->getPassNum(); ++pass) {
    beginPass(pass);
    drawGeometry(pass);
    endPass(pass);
  }
}

void cRenderObject::setShader(resShader* pShader) {
  CRITICAL_CHECK(pShader, "");
  shader = pShader;
}
