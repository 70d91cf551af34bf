// CPostEffectManager: the post-effect table and its per-frame stage — every entry
// active at the demo time runs its effect over the source screens into a work or
// the composite screen; with none active the default effect copies the picture.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "framework/types.h"
#include "screen/post_effect_definitions.h"

class resShader;

class CPostEffectManager {
 public:
  static constexpr s32 RENDER_TARGET_BEGIN = -1;
  static constexpr s32 RENDER_TARGET_END = 4;
  static constexpr const char* DEFINITION_FILE = "data\\definition\\postEffectDefine.txt";

  CPostEffectManager() = default;
  virtual ~CPostEffectManager();
  CPostEffectManager(const CPostEffectManager&) = delete;
  CPostEffectManager& operator=(const CPostEffectManager&) = delete;

  // Replaces the table from an open text file, sorts it and loads the effects
  // (an effect that does not load leaves its entry inert). An output buffer
  // outside the composite and work screens, or a pass the entry's effect does
  // not have, is refused here rather than when the entry first runs: a message
  // naming the table's line, then the fatal text the stage would have stopped
  // with. True otherwise.
  bool loadDefinitions(std::FILE* file);
  // Author mode: the same, but a refused table leaves the current one in place
  // and returns false with "FILE:LINE: error: ..." in `error`.
  bool loadDefinitions(std::FILE* file, std::string& error);

  u32 getEntryCount() const { return static_cast<u32>(mEntries.size()); }
  const PostEffectEntry& getEntry(u32 index) const { return mEntries[index]; }
  // Work screen `index`'s size as a fraction 1/N of the window, N from the
  // table's size column (1 when no entry reduces it).
  u32 getWorkDivisor(int index) const { return mWorkDivisor[index]; }
  // The entry's effect while start <= time <= end, else null.
  resShader* activeEffect(u32 index, u32 time) const;
  // 0 outside the entry's range, else (time - start) / (end - start).
  f32 effectRate(u32 index, u32 time) const;
  // True when at every time from 0 to `end` some entry writing the composite
  // screen is active and the first of them to run satisfies `paintsWhole`: the
  // screen's picture of an earlier frame is then never seen through.
  bool screenPaintedWholeThroughout(u32 end, const std::function<bool(u32 index)>& paintsWhole) const;
  // The first entry writing the composite screen active at `time`; false if none.
  bool firstScreenEntry(u32 time, u32& index) const;

 private:
  void releaseEffects();
  void installTable(std::vector<PostEffectEntry>& entries, std::vector<resShader*>& held);
  // Reads, sorts and loads a table without installing it; false with the first
  // refused entry's index in `refused` and its problem in `error`.
  bool readTable(std::FILE* file, std::vector<PostEffectEntry>& entries, std::vector<resShader*>& held,
                 std::string& error, std::size_t& refused);

  std::vector<PostEffectEntry> mEntries;
  std::vector<resShader*> mHeldEffects;  // one reference each
  u32 mWorkDivisor[RENDER_TARGET_END] = {1, 1, 1, 1};
};
