// Model drawing: materials, passes, the animated object hierarchy and instances.
#include "render/mqo_render.h"

#include "platform/gl.h"

#include <algorithm>
#include <cstdio>

#include "framework/critical_check.h"
#include "render/frame_context.h"
#include "resource/current_effect.h"
#include "resource/custom_texture_manager.h"
#include "resource/qel_track_set.h"
#include "resource/res_mqo.h"
#include "resource/res_shader.h"
#include "resource/shader_manager.h"
#include "resource/texture_manager.h"

namespace {
constexpr f64 kRadiansToDegrees = 180.0 / 3.141592025756836;
}

void cMqoRender::setModel(resMQO* pModel, const QelTrackSet* pAnim) {
  if (pModel) {
    mpMqo = pModel;
    mModelVersion = pModel->getVersion();
    const MqoModel* pParsed = mpMqo->getModel();
    CRITICAL_CHECK(pParsed, "a loaded model holds its parsed data");
    const u32 count = pParsed->GetMatNum();
    baseTextureIds.assign(count, 0);
    overlapTextureIds.assign(count, 0);
    for (u32 material = 0; material < count; ++material) {
      const MqoModel* mpMqo = pParsed;
      CRITICAL_CHECK(material<mpMqo->GetMatNum(), "");
      baseTextureIds[material] = textureManager::mpThis->getTextureId(pModel->getTexture(material));
      overlapTextureIds[material] = textureManager::mpThis->getTextureId(pModel->getAplaneTexture(material));
    }
  }
  if (pAnim) {
    mpAnim = pAnim;
  }
}

u32 cMqoRender::getPassNum() const { return getShader() ? getShader()->getPassNum() : 0; }

u32 cMqoRender::getMaterialNum() const {
  if (!mpMqo) {
    return 0;
  }
  const MqoModel* mpMqo = this->mpMqo->getModel();
  CRITICAL_CHECK(mpMqo, "");
  return mpMqo->GetMatNum();
}

void cMqoRender::setMaterial(u32 material, f32 alpha, f32 time, const FrameContext& frame) {
  // A model reloaded in author mode may have other materials and textures.
  if (mpMqo->getVersion() != mModelVersion) setModel(mpMqo, nullptr);
  const MqoMaterial& record = mpMqo->getMaterial(material);
  setShader(frame.pOverrideEffect ? frame.pOverrideEffect : mpMqo->getMaterialEffect(material));
  resShader* pShader = getShader();
  const CurrentEffect current(pShader);
  setCurrentParameter("shBaseTexture", TextureName{baseTextureIds[material]});
  setCurrentParameter("shOverlapTexture", TextureName{overlapTextureIds[material]});
  setCurrentParameter("shMqoColor", float4{record.col[0], record.col[1], record.col[2], record.col[3] * alpha});
  setCurrentParameter("TIME_RATE", time);
  customTextureManager::mpThis->applyTextures(pShader);
}

void cMqoRender::drawMaterial(u32 material, u32 list, f32 alpha, f32 time, const FrameContext& frame) {
  setMaterial(material, alpha, time, frame);
  const CurrentEffect current(getShader());
  for (u32 pass = 0; pass < getShader()->getPassNum(); ++pass) {
    beginPass(pass);
    glCallList(list);
    endPass(pass);
  }
}

void cMqoRender::drawStill(f32 alpha, f32 time, const FrameContext& frame) {
  // A material without triangles is not set up at all: with thousands of
  // materials, each frame costs what the model draws.
  for (u32 material = 0; material < mpMqo->getModel()->GetMatNum(); ++material) {
    const u32 list = mpMqo->getMaterialList(material);
    if (list) drawMaterial(material, list, alpha, time, frame);
  }
}

void cMqoRender::drawObject(u32 object, f32 alpha, f32 time, const FrameContext& frame) {
  for (const auto& [material, list] : mpMqo->getObjectMaterialLists(object)) {
    drawMaterial(material, list, alpha, time, frame);
  }
}

void cMqoRender::draw(f32 time, const FrameContext& frame) {
  if (!mpMqo) {
    return;
  }
  if (!mpAnim) {
    drawStill(1.0f, time, frame);
    return;
  }
  const MqoModel* mpMqo = this->mpMqo->getModel();
  CRITICAL_CHECK(mpMqo, "");
  // The file's depths decide the nesting, but never beyond the room left on the
  // modelview stack and never below the matrix this draw was given: a push on a
  // full stack replaces the top instead, and a pop stops at what this draw pushed.
  GLint maxDepth = 0;
  GLint callerDepth = 0;
  glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &maxDepth);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &callerDepth);
  const s32 room = maxDepth - callerDepth;
  if (room < 1) {
    if (!mStackFullReported) {
      std::fprintf(stderr, "orvane: the modelview stack is full (%d of %d); an animated model is not drawn\n",
                   callerDepth, maxDepth);
      mStackFullReported = true;
    }
    return;
  }
  s32 previous = -1;
  s32 pushed = 0;
  auto push = [&] {
    if (pushed >= room) {
      glPopMatrix();
      --pushed;
    }
    glPushMatrix();
    ++pushed;
  };
  for (u32 object = 0; object < mpMqo->objects.size(); ++object) {
    const MqoObject& data = mpMqo->objects[object];
    const s32 depth = data.depth;
    if (previous < depth || (previous == depth && pushed == 0)) {
      push();  // a first object at depth -1 has no sibling matrix to replace
    } else if (previous == depth) {
      glPopMatrix();
      glPushMatrix();
    } else {
      const s64 pops = std::min<s64>(static_cast<s64>(previous) - depth, pushed);
      for (s64 i = 0; i < pops; ++i) glPopMatrix();
      pushed -= static_cast<s32>(pops);
      push();
    }
    const MqoPoint& pivot = this->mpMqo->getBone(data.name);
    const QelKey key = mpAnim->evaluate(data.name, time);
    glTranslatef(pivot[0], pivot[1], -pivot[2]);
    glTranslatef(key.position[0], key.position[1], -key.position[2]);
    glRotated(key.rotation[2] * kRadiansToDegrees, 0.0, 0.0, 1.0);
    glRotated(-key.rotation[1] * kRadiansToDegrees, 0.0, 1.0, 0.0);
    glRotated(-key.rotation[0] * kRadiansToDegrees, 1.0, 0.0, 0.0);
    glScalef(key.scale[0], key.scale[1], key.scale[2]);
    glTranslatef(-pivot[0], -pivot[1], pivot[2]);
    drawObject(object, key.alpha, time, frame);
    previous = depth;
  }
  for (s32 i = 0; i < pushed; ++i) glPopMatrix();
}

void cMqoRender::drawFace(u32 object, u32 face, u32 material) {
  if (mpMqo) {
    mpMqo->drawFace(object, face, material);
  }
}

void cMassMqoRender::beginMaterialPass(f32 time, u32 pass, u32 material, f32 alpha, const FrameContext& frame) {
  setMaterial(material, alpha, time, frame);
  mCurrentEffect.reset();
  mCurrentEffect.emplace(getShader());
  currentMaterial = material;
  beginPass(pass);
  currentPass = pass;
}

void cMassMqoRender::updateMatrices() {
  setCurrentStateMatrix("shWorldMat", state_matrix::kModelView | state_matrix::kIdentity);
  setCurrentStateMatrix("shViewMat", state_matrix::kModelView | state_matrix::kIdentity);
  setCurrentStateMatrix("shVProjMat", state_matrix::kModelViewProjection);
  // Values reach the program when its pass is set; setting the pass again before
  // its reset sends them and keeps the states saved by the first set.
  shaderManager::mpThis->setPass(currentPass);
}

void cMassMqoRender::drawInstance() {
  if (!mpMqo) {
    return;
  }
  CRITICAL_CHECK(!mpAnim, "animation is not allowed!");
  glCallList(mpMqo->getMaterialList(currentMaterial));
}

void cMassMqoRender::endMaterialPass() {
  endPass(currentPass);
  mCurrentEffect.reset();
}
