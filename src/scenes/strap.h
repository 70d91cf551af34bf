// CStrap: a bundle of glowing ribbons that fly along randomly varied copies of one
// path; each frame the progress picks every ribbon's head and the ribbon is drawn
// as a line strip behind it, fading in from the head and out at the tail, through
// "data\shader\strapShader.fx". Main thread.
#pragma once

#include <memory>
#include <vector>

#include "framework/types.h"
#include "scenes/strap_path.h"
#include "scenes/strip_thinning.h"

class resShader;

inline constexpr const char* kStrapEffectFile = "data\\shader\\strapShader.fx";
// How far, in window pixels, a path sample left out of a ribbon's strip may lie
// from the line drawn instead (see thinStrip): a pixel changes only where a
// ribbon's edge passes within about this of its centre.
inline constexpr f32 kStrapThinningPixels = 0.1f;

// Filled by a scene on its stack and handed to initStrap.
struct StrapDescriptor {
  const StrapPoint* pPoints;
  u32 pointCount;
  u32 ribbonCount;
  f32 ribbonSpread;     // random offset of a whole ribbon
  f32 pointJitter;      // random offset of each of its control points
  f32 parameterJitter;  // largest random amount added to each point's w
  f32 lineWidth;        // largest line width
  f32 lengthMinimum;    // ribbon length range, in path-parameter units
  f32 lengthMaximum;
  f32 fadeInFactor;   // fade lengths, times the ribbon's length random value
  f32 fadeOutFactor;
  f32 curveParameter;  // tension of the path splines
  f32 step;            // path-parameter step between table samples
  f32 baseColour[4];
  f32 colourVariation[4];  // added to the base, scaled by one random value
};

struct StrapRibbon : CPass {
  f32 lineWidth = 0.0f;
  f32 colour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  s32 length = 0;  // in samples
  f32 fadeInRate = 0.0f;
  s32 fadeInSamples = 0;
  f32 fadeOutRate = 0.0f;
  s32 fadeOutSamples = 0;
};

class CStrap {
 public:
  CStrap() = default;
  virtual ~CStrap();
  CStrap(const CStrap&) = delete;
  CStrap& operator=(const CStrap&) = delete;

  // Builds the ribbons from the runtime generator and takes the strap effect.
  void initStrap(const StrapDescriptor& descriptor);
  // Draws every ribbon with one pass of the effect; a missing effect is fatal.
  // Returns the vertices sent.
  u32 drawStrap(f32 progress, u32 pass);

  const StrapRibbon& getRibbon(u32 index) const { return mpRibbons[index]; }
  u32 getRibbonCount() const { return mRibbonCount; }

  std::unique_ptr<StrapRibbon[]> mpRibbons;
  u32 mRibbonCount = 0;
  resShader* mpShader = nullptr;  // one reference, or null
  f32 mThinningPixels = kStrapThinningPixels;  // 0 draws every sample

 private:
  // Kept between frames so that drawing allocates nothing.
  std::vector<StripPoint> mStrip;
  std::vector<f32> mAlpha;
  std::vector<u32> mKept;
};

// The first sample a ribbon reaches back to from its head: head - length, at least 0.
s32 ribbonTail(s32 head, s32 length);
// The running alpha after sample j of a ribbon walked from its head to its tail:
// rises by the fade-in rate within fade-in samples of the head, else falls by the
// fade-out rate within fade-out samples of the tail.
f32 rampAlpha(const StrapRibbon& ribbon, s32 j, s32 head, s32 tail, f32 alpha);
// Marks which vertices of a ribbon's strip (the head point, then samples `head`
// down to `tail`) thinning must keep for the colours: sample `head`, and both
// samples on either side of every change of the ramp's slope, so that the alpha
// between the vertices drawn runs as it did through every sample.
void markRampTurns(const StrapRibbon& ribbon, s32 head, s32 tail, StripPoint* pStrip);
