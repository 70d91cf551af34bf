// Passes and standard parameters of render objects.
#include "render/render_object.h"

#include "platform/gl.h"

#include "framework/critical_check.h"
#include "render/camera_manager.h"
#include "render/light_manager.h"
#include "resource/current_effect.h"
#include "resource/res_shader.h"
#include "resource/shader_manager.h"

namespace {

constexpr u32 kModelViewMatrix = state_matrix::kModelView | state_matrix::kIdentity;
constexpr u32 kModelViewProjectionMatrix = state_matrix::kModelViewProjection;

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

void setCurrentParameter(const char* name, f32 value) {
  shaderManager::mpThis->checkedCurrentProgram()->setParameter(name, value);
}

void setCurrentParameter(const char* name, const float4& value) {
  shaderManager::mpThis->checkedCurrentProgram()->setParameter(name, value);
}

void setCurrentParameter(const char* name, TextureName texture) {
  shaderManager::mpThis->checkedCurrentProgram()->setParameter(name, texture);
}

void setCurrentStateMatrix(const char* name, u32 code) {
  shaderManager::mpThis->checkedCurrentProgram()->setStateMatrix(name, code);
}

void cRenderObject::beginPass(u32 pass) {
  // Values reach the program when a pass is set, so the standard parameters are
  // set first and the pass applied after them: the order the effect needs to see
  // this draw's matrices and not the previous one's.
  setCurrentStateMatrix("shWorldMat", kModelViewMatrix);
  setCurrentStateMatrix("shViewMat", kModelViewMatrix);
  setCurrentStateMatrix("shVProjMat", kModelViewProjectionMatrix);
  setCurrentParameter("shAmbient", float4{0.1f, 0.1f, 0.1f, 0.1f});
  setCurrentParameter("shLightColor", float4{1.0f, 1.0f, 1.0f, 1.0f});
  setCurrentParameter("shKe", float4{0.0f, 0.0f, 0.0f, 0.0f});
  setCurrentParameter("shKa", float4{0.8f, 0.8f, 0.8f, 0.8f});
  setCurrentParameter("shKd", float4{0.6f, 0.6f, 0.6f, 0.6f});
  setCurrentParameter("shKs", float4{0.85f, 0.85f, 0.85f, 0.85f});
  setCurrentParameter("shShininess", 8.0f);
  // Three floats each; the fourth is never read (the engine's table declares three).
  const f32* eye = cameraManager::mpThis->mEyePos;
  const f32* light = lightManager::mpThis->mLightPos;
  setCurrentParameter("shEyePos", float4{eye[0], eye[1], eye[2], 0.0f});
  setCurrentParameter("shLightPos", float4{light[0], light[1], light[2], 0.0f});
  shaderManager::mpThis->setPass(pass);
}

void cRenderObject::endPass(u32 pass) {
  drawImmediate(triangleVertices, GL_TRIANGLES);
  drawImmediate(fanVertices, GL_TRIANGLE_FAN);
  shaderManager::mpThis->resetPass(pass);
}

void cRenderObject::draw(f32 /*time*/, const FrameContext& /*frame*/) {
  if (!shader) {
    drawGeometry(0);
    return;
  }
  const CurrentEffect current(shader);
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
