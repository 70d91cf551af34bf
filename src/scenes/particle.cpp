// Point-sprite drawing of particle records.
#include "scenes/particle.h"

#include <cstdio>

#include "platform/gl.h"

#include "resource/current_effect.h"
#include "resource/res_shader.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "resource/shader_manager.h"
#include "resource/texture_manager.h"

CParticle::~CParticle() {
  releaseResource(mpTexture);
  releaseResource(mpShader);
}

namespace {

// Said when the particles are made: drawing them without their effect stops the show.
void reportMissing(const char* what, const char* file) {
  std::fprintf(stderr, "orvane: %s: the particles' %s cannot be loaded: it %s\n", file ? file : "(none)", what,
               resourceManager::mpThis->lastFailure().c_str());
}

}  // namespace

bool CParticle::create(const char* effectFile, const char* textureFile) {
  releaseResource(mpTexture);
  releaseResource(mpShader);
  mpShader = static_cast<resShader*>(resourceManager::mpThis->getResource(effectFile, resShader::DTI));
  if (!mpShader) reportMissing("effect", effectFile);
  mpTexture = static_cast<resTexture*>(resourceManager::mpThis->getResource(textureFile, resTexture::DTI));
  if (!mpTexture) reportMissing("texture", textureFile);
  return mpShader && mpTexture;
}

void CParticle::drawParticles(f32 rate, const ParticleRecord* pRecords, u32 count) {
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_POINT_SPRITE_ARB);
  glEnable(GL_VERTEX_PROGRAM_POINT_SIZE_ARB);
  glPointParameterfARB(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
  // Coordinate replacement is the active unit's texture state: the next drawer
  // would find it on, so it goes back to what it was.
  GLint coordReplace = GL_FALSE;
  glGetTexEnviv(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, &coordReplace);
  glTexEnvi(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, GL_TRUE);

  resShader* pShader = mpShader;
  const CurrentEffect current(pShader);
  pShader->setParameter("TIME_RATE", rate);
  pShader->setStateMatrix("shWorldMat", state_matrix::kModelView | state_matrix::kIdentity);
  pShader->setStateMatrix("shViewMat", state_matrix::kModelView | state_matrix::kIdentity);
  pShader->setStateMatrix("shVProjMat", state_matrix::kModelViewProjection);
  // A texture that failed to load leaves the sprites untextured rather than stopping.
  const u32 textureName = mpTexture ? textureManager::mpThis->getTextureId(mpTexture) : 0;
  pShader->setParameter("shTexture0", TextureName{textureName});
  // Sprite sizes are in pixels: an effect that scales them by the screen it draws
  // into keeps its sprites the same share of the picture at any window size.
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  pShader->setParameter("ViewportSize",
                        float4{static_cast<f32>(viewport[2]), static_cast<f32>(viewport[3]), 0.0f, 0.0f});

  for (u32 pass = 0; pass < pShader->getPassNum(); ++pass) {
    shaderManager::mpThis->setPass(pass);
    glBegin(GL_POINTS);
    for (u32 i = 0; i < count; ++i) {
      const ParticleRecord& record = pRecords[i];
      glColor4f(record.colour[0], record.colour[1], record.colour[2], record.colour[3] * mIntensity);
      glNormal3fv(record.target);
      glMultiTexCoord2fARB(GL_TEXTURE1_ARB, record.size, record.size);
      glVertex3fv(record.position);
    }
    glEnd();
    shaderManager::mpThis->resetPass(pass);
  }

  glPointParameterfARB(GL_POINT_SPRITE_COORD_ORIGIN, GL_UPPER_LEFT);
  glTexEnvi(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, coordReplace);
  glPointSize(1.0f);
  glDisable(GL_VERTEX_PROGRAM_POINT_SIZE_ARB);
  glDisable(GL_POINT_SPRITE_ARB);
  glDisable(GL_TEXTURE_2D);
}
