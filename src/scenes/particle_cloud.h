// CParticleCloud and drawClouds: a few large textured billboards that slide from a
// start point to an end point with the progress, blended by their own colour, and
// the cloud field a scene scatters at set-up. Main thread.
#pragma once

#include <vector>

#include "framework/types.h"

class resShader;
class resTexture;

inline constexpr u32 kCloudCount = 3;

// 14 values; the texture is borrowed from the scene that holds its reference.
struct CloudRecord {
  f32 start[3];
  f32 end[3];
  f32 width;
  f32 height;
  f32 rotation;  // degrees about z; also written into the billboard's normals
  f32 colour[4];
  resTexture* pTexture;  // borrowed
};

class CParticleCloud {
 public:
  CParticleCloud();
  virtual ~CParticleCloud();
  CParticleCloud(const CParticleCloud&) = delete;
  CParticleCloud& operator=(const CParticleCloud&) = delete;

  // Takes one reference of the effect; false when it is missing.
  bool create(const char* effectFile);

  std::vector<CloudRecord> mClouds;  // stays empty: scenes draw their own records
  resShader* mpShader = nullptr;     // one reference; the drawing itself is fixed-function
};

// Where a cloud is at the progress: start + (end - start) * progress, per component.
void cloudPosition(const CloudRecord& cloud, f32 progress, f32 position[3]);

// The part of a billboard's texture square (s and t from 0 to 1) outside which a
// linearly filtered sample of the texture is black. The clouds are screened over
// the picture, and a black sample leaves it exactly as it was, so drawing only this
// part gives the same picture; the cloud pictures are mostly black, and a software
// renderer blends every pixel a billboard covers. Empty (s0 >= s1) when the whole
// texture is black.
struct CloudCut {
  f32 s0 = 0.0f;
  f32 t0 = 0.0f;
  f32 s1 = 1.0f;
  f32 t1 = 1.0f;
};
// From 8-bit pixels, rows from t = 0 up, bytesPerPixel 3 (RGB) or 4 (RGBA; alpha is
// not looked at). Allows for the texture repeating at its edges.
CloudCut cloudCut(const u8* pPixels, u32 width, u32 height, u32 bytesPerPixel);
// The whole square unless the texture kept its RGB or RGBA pixels.
CloudCut cloudCut(const resTexture* pTexture);

// Draws exactly kCloudCount records at the progress; with cuts (one per record),
// each billboard only over its cut.
void drawClouds(const CloudRecord* pClouds, f32 progress, const CloudCut* pCuts = nullptr);

// Three clouds drifting from x = -200 to 200 around small random offsets, one per
// texture, in the generator's order.
void generateCloudField(CloudRecord* pClouds, resTexture* const* ppTextures);
