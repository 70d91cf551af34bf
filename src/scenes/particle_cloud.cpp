// Cloud billboards.
#include "scenes/particle_cloud.h"

#include "platform/gl.h"

#include <algorithm>

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

void drawBillboard(const CloudRecord& cloud, const CloudCut& cut) {
  struct Vertex {
    f32 s, t;
    f32 r, g, b, a;
    f32 nx, ny, nz;
    f32 x, y, z;
  };
  const f32 hw = cloud.width * 0.5f;
  const f32 hh = cloud.height * 0.5f;
  // The billboard's corners map s and t 0..1 onto -hw..hw and -hh..hh; the cut's
  // corners lie on that same map, so every pixel it covers gets the same sample.
  const f32 x0 = -hw + cut.s0 * cloud.width;
  const f32 x1 = -hw + cut.s1 * cloud.width;
  const f32 y0 = -hh + cut.t0 * cloud.height;
  const f32 y1 = -hh + cut.t1 * cloud.height;
  const f32 n = cloud.rotation;
  const f32* c = cloud.colour;
  const Vertex strip[4] = {
      {cut.s0, cut.t1, c[0], c[1], c[2], c[3], n, n, n, x0, y1, 0},
      {cut.s0, cut.t0, c[0], c[1], c[2], c[3], n, n, n, x0, y0, 0},
      {cut.s1, cut.t1, c[0], c[1], c[2], c[3], n, n, n, x1, y1, 0},
      {cut.s1, cut.t0, c[0], c[1], c[2], c[3], n, n, n, x1, y0, 0},
  };
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glInterleavedArrays(GL_T2F_C4F_N3F_V3F, 0, strip);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  glPopClientAttrib();
}

// The span of texels [first, last] that are not black, widened to the texture
// coordinates whose linear sample can reach one of them, as a fraction of size.
void cutSpan(s64 first, s64 last, u32 size, f32& from, f32& to) {
  if (first > last) {
    from = 1.0f;
    to = 0.0f;
    return;
  }
  if (first == 0 || last == static_cast<s64>(size) - 1) {
    // A repeating texture blends its first and last texels at both ends.
    from = 0.0f;
    to = 1.0f;
    return;
  }
  // A sample at s reads texels floor(s * size - 0.5) and the one after: outside
  // [first - 0.5, last + 1.5] texels it reads black only. One more half texel each
  // way covers the renderer's rounding of s.
  from = static_cast<f32>(std::max<s64>(first - 1, 0)) / static_cast<f32>(size);
  to = static_cast<f32>(std::min<s64>(last + 2, size)) / static_cast<f32>(size);
}

}  // namespace

CloudCut cloudCut(const u8* pPixels, u32 width, u32 height, u32 bytesPerPixel) {
  CloudCut cut;
  if (!pPixels || width == 0 || height == 0 || (bytesPerPixel != 3 && bytesPerPixel != 4)) return cut;
  s64 left = width, right = -1, bottom = height, top = -1;
  for (u32 y = 0; y < height; ++y) {
    const u8* pRow = pPixels + static_cast<std::size_t>(y) * width * bytesPerPixel;
    for (u32 x = 0; x < width; ++x) {
      const u8* pTexel = pRow + static_cast<std::size_t>(x) * bytesPerPixel;
      if ((pTexel[0] | pTexel[1] | pTexel[2]) == 0) continue;
      left = std::min<s64>(left, x);
      right = std::max<s64>(right, x);
      bottom = std::min<s64>(bottom, y);
      top = std::max<s64>(top, y);
    }
  }
  cutSpan(left, right, width, cut.s0, cut.s1);
  cutSpan(bottom, top, height, cut.t0, cut.t1);
  return cut;
}

CloudCut cloudCut(const resTexture* pTexture) {
  if (!pTexture) return {};
  const u32 format = pTexture->getFormat() & 0xFF;
  if (format != resTexture::FORMAT_RGB && format != resTexture::FORMAT_RGBA) return {};
  return cloudCut(pTexture->getPixels(), pTexture->getWidth(), pTexture->getHeight(),
                  format == resTexture::FORMAT_RGB ? 3 : 4);
}

void drawClouds(const CloudRecord* pClouds, f32 progress, const CloudCut* pCuts) {
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
    const CloudCut cut = pCuts ? pCuts[i] : CloudCut{};
    if (!(cut.s0 < cut.s1) || !(cut.t0 < cut.t1)) continue;
    f32 position[3];
    cloudPosition(cloud, progress, position);
    const u32 textureName = cloud.pTexture ? textureManager::mpThis->getTextureId(cloud.pTexture) : 0;
    glBindTexture(GL_TEXTURE_2D, textureName);
    glPushMatrix();
    glTranslatef(position[0], position[1], position[2]);
    glRotatef(cloud.rotation, 0.0f, 0.0f, 1.0f);
    drawBillboard(cloud, cut);
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
