// The window as composite screen: what each screen entry's passes do to the
// window, probed through the GL state their render states leave behind.
#include "demo/window_screen.h"

#include "platform/gl.h"

#include <map>

#include "resource/current_effect.h"
#include "resource/res_shader.h"
#include "resource/shader_manager.h"
#include "screen/post_effect_manager.h"

namespace {

struct PassFacts {
  bool paintsWhole = false;  // every pixel it covers gets its colour
  bool windowSafe = false;   // draws the same into the window as into the screen
};

bool readsDestinationAlpha(GLint factor) {
  return factor == GL_DST_ALPHA || factor == GL_ONE_MINUS_DST_ALPHA || factor == GL_SRC_ALPHA_SATURATE;
}

// Sets the pass in the window's stage state and reads back what its render states did.
PassFacts probePass(resShader* pEffect, u32 pass) {
  const CurrentEffect current(pEffect);
  shaderManager::mpThis->setPass(pass);
  GLboolean mask[4] = {};
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  const bool blend = glIsEnabled(GL_BLEND) == GL_TRUE;
  GLint factors[4] = {};
  glGetIntegerv(GL_BLEND_SRC_RGB, &factors[0]);
  glGetIntegerv(GL_BLEND_DST_RGB, &factors[1]);
  glGetIntegerv(GL_BLEND_SRC_ALPHA, &factors[2]);
  glGetIntegerv(GL_BLEND_DST_ALPHA, &factors[3]);
  PassFacts facts;
  facts.paintsWhole = !blend && glIsEnabled(GL_ALPHA_TEST) == GL_FALSE && mask[0] && mask[1] && mask[2];
  bool alphaBlend = false;
  for (GLint factor : factors) alphaBlend = alphaBlend || readsDestinationAlpha(factor);
  facts.windowSafe = glIsEnabled(GL_DEPTH_TEST) == GL_FALSE && !mask[3] && !(blend && alphaBlend);
  shaderManager::mpThis->resetPass(pass);
  return facts;
}

}  // namespace

void WindowScreen::enter() {
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClear(GL_COLOR_BUFFER_BIT);
  // The composite screen has no depth buffer and its alpha is not shown: the
  // window's must neither test nor change.
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
  glDisable(GL_DEPTH_TEST);
}

void WindowScreen::leave() { glPopAttrib(); }

bool WindowScreen::decide(const CPostEffectManager& table, u32 showEnd, bool pictureFillsWindow) {
  std::vector<Row> rows;
  rows.reserve(table.getEntryCount());
  for (u32 i = 0; i < table.getEntryCount(); ++i) {
    const PostEffectEntry& entry = table.getEntry(i);
    // An author-mode reload gives the file a new effect object.
    const void* pEffect = entry.pEffect ? static_cast<const void*>(entry.pEffect->getEffect()) : nullptr;
    rows.push_back(Row{pEffect, entry.start, entry.end, entry.bufferID, entry.pass});
  }
  if (mDecided && rows == mDecidedFor && showEnd == mDecidedEnd && pictureFillsWindow == mDecidedFill) {
    return mStandsIn;
  }
  mDecided = true;
  mDecidedFor = std::move(rows);
  mDecidedEnd = showEnd;
  mDecidedFill = pictureFillsWindow;
  mStandsIn = false;
  if (!pictureFillsWindow) return false;

  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  GLint sampleBuffers = 0;
  glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
  if (sampleBuffers != 0) return false;  // every pass would shade each sample

  enter();
  std::map<u32, PassFacts> firstPass;
  bool safe = true;
  for (u32 i = 0; i < table.getEntryCount() && safe; ++i) {
    const PostEffectEntry& entry = table.getEntry(i);
    if (entry.bufferID != -1 || !entry.pEffect) continue;
    const u32 first = entry.pass == -1 ? 0 : static_cast<u32>(entry.pass);
    const u32 last = entry.pass == -1 ? entry.pEffect->getPassNum() : first + 1;
    for (u32 pass = first; pass < last; ++pass) {
      const PassFacts facts = probePass(entry.pEffect, pass);
      if (pass == first) firstPass[i] = facts;
      safe = safe && facts.windowSafe;
    }
  }
  leave();
  mStandsIn = safe && table.screenPaintedWholeThroughout(showEnd, [&firstPass](u32 index) {
    const auto found = firstPass.find(index);
    return found != firstPass.end() && found->second.paintsWhole;
  });
  return mStandsIn;
}
