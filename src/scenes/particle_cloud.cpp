// Cloud billboards.
#include "scenes/particle_cloud.h"

#include "platform/gl.h"

#include "resource/res_shader.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "resource/texture_manager.h"
#include "scenes/runtime_random.h"

CParticleCloud::CParticleCloud() { mClouds.clear(); }

CParticleCloud::~CParticleCloud() { releaseResource(mpShader); }

bool CParticleCloud::create(const char* effectFile) {
  releaseResource(mpShader);
  mpShader = static_cast<resShader*>(resourceManager::mpThis->getResource(effectFile, resShader::DTI));
  return mpShader != nullptr;
}

void cloudPosition(const CloudRecord& cloud, f32 progress, f32 position[3]) {
  for (int axis = 0; axis < 3; ++axis) {
    position[axis] = cloud.start[axis] + (cloud.end[axis] - cloud.start[axis]) * progress;
  }
}

namespace {

void drawBillboard(const CloudRecord& cloud) {
  struct Vertex {
    f32 s, t;
    f32 r, g, b, a;
    f32 nx, ny, nz;
    f32 x, y, z;
  };
  const f32 hw = cloud.width * 0.5f;
  const f32 hh = cloud.height * 0.5f;
  const f32 n = cloud.rotation;
  const f32* c = cloud.colour;
  const Vertex strip[4] = {
      {0, 1, c[0], c[1], c[2], c[3], n, n, n, -hw, hh, 0},
      {0, 0, c[0], c[1], c[2], c[3], n, n, n, -hw, -hh, 0},
      {1, 1, c[0], c[1], c[2], c[3], n, n, n, hw, hh, 0},
      {1, 0, c[0], c[1], c[2], c[3], n, n, n, hw, -hh, 0},
  };
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glInterleavedArrays(GL_T2F_C4F_N3F_V3F, 0, strip);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  glPopClientAttrib();
}

}  // namespace

void drawClouds(const CloudRecord* pClouds, f32 progress) {
  GLint blendSource = GL_ONE;
  GLint blendDestination = GL_ZERO;
  glGetIntegerv(GL_BLEND_SRC, &blendSource);
  glGetIntegerv(GL_BLEND_DST, &blendDestination);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
  for (u32 i = 0; i < kCloudCount; ++i) {
    const CloudRecord& cloud = pClouds[i];
    f32 position[3];
    cloudPosition(cloud, progress, position);
    const u32 textureName = cloud.pTexture ? textureManager::mpThis->getTextureId(cloud.pTexture) : 0;
    glBindTexture(GL_TEXTURE_2D, textureName);
    glPushMatrix();
    glTranslatef(position[0], position[1], position[2]);
    glRotatef(cloud.rotation, 0.0f, 0.0f, 1.0f);
    drawBillboard(cloud);
    glPopMatrix();
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glBlendFunc(static_cast<GLenum>(blendSource), static_cast<GLenum>(blendDestination));
}

void generateCloudField(CloudRecord* pClouds, resTexture* const* ppTextures) {
  const f64 zExtent = 0.0;
  for (u32 i = 0; i < kCloudCount; ++i) {
    const f64 dx = runtimeCentred() * 50.0;
    const f64 dy = runtimeCentred() * 10.0;
    const f64 dz = runtimeCentred() * zExtent;
    CloudRecord& cloud = pClouds[i];
    cloud.start[0] = static_cast<f32>(-200.0 + dx);
    cloud.start[1] = static_cast<f32>(dy);
    cloud.start[2] = static_cast<f32>(dz);
    cloud.end[0] = static_cast<f32>(200.0 + dx);
    cloud.end[1] = static_cast<f32>(dy);
    cloud.end[2] = static_cast<f32>(dz);
    cloud.width = 300.0f;
    cloud.height = 300.0f;
    cloud.rotation = 0.0f;
    cloud.colour[0] = 1.0f;
    cloud.colour[1] = 1.0f;
    cloud.colour[2] = 1.0f;
    // Nearer clouds would be denser; with no depth spread every cloud gets the base alpha.
    cloud.colour[3] = static_cast<f32>(0.1 + (zExtent != 0.0 ? dz / zExtent : 0.0));
    cloud.pTexture = ppTextures[i];
  }
}
