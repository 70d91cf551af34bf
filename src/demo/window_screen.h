// WindowScreen: whether the window itself can be the post-effect stage's
// composite screen, which saves the full-window copy that composes a frame.
// Decided once per post-effect table and kept until the table changes. Main thread.
#pragma once

#include <vector>

#include "framework/types.h"

class CPostEffectManager;

class WindowScreen {
 public:
  // The window stands in when the picture fills it texel for texel, it has no
  // samples, and from 0 to `showEnd` the first entry writing the screen paints
  // every pixel (no blending, no alpha test) so the picture of the frame before
  // is never seen; and no entry writing the screen tests depth, writes alpha or
  // blends with the screen's alpha (the window has a depth buffer and keeps an
  // opaque alpha that the composite screen has not).
  bool decide(const CPostEffectManager& table, u32 showEnd, bool pictureFillsWindow);
  // Puts the window in the state the stage draws the screen there with: opaque
  // black, alpha and depth testing off; leave() puts back what enter() changed.
  static void enter();
  static void leave();

 private:
  // What of a table's entry the decision depends on.
  struct Row {
    const void* pEffect;  // the runtime's effect: a reload makes a new one
    u32 start;
    u32 end;
    s32 output;  // the entry's buffer id
    s32 pass;
    bool operator==(const Row&) const = default;
  };
  std::vector<Row> mDecidedFor;
  u32 mDecidedEnd = 0;
  bool mDecidedFill = false;
  bool mDecided = false;
  bool mStandsIn = false;
};
