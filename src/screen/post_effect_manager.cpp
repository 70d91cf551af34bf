// The post-effect table: loading and the time queries of its entries.
#include "screen/post_effect_manager.h"

#include <string>

#include "resource/res_shader.h"
#include "resource/resource_manager.h"

CPostEffectManager::~CPostEffectManager() { releaseEffects(); }

void CPostEffectManager::releaseEffects() {
  for (resShader*& pEffect : mHeldEffects) releaseResource(pEffect);
  mHeldEffects.clear();
  for (PostEffectEntry& entry : mEntries) entry.pEffect = nullptr;
}

bool CPostEffectManager::loadDefinitions(std::FILE* file) {
  std::vector<PostEffectEntry> entries = readPostEffectDefinitions(file);
  sortPostEffectEntries(entries);
  std::vector<resShader*> held;
  for (PostEffectEntry& entry : entries) {
    const std::string path = "data\\shader\\" + entry.effectFile;
    auto* pEffect = static_cast<resShader*>(resourceManager::mpThis->getResource(path.c_str(), resShader::DTI));
    if (pEffect) {
      entry.pEffect = pEffect;
      held.push_back(pEffect);
    }
  }
  // The old table lets go only now, so an effect both tables use keeps its
  // count above zero and is not built twice.
  releaseEffects();
  mEntries = std::move(entries);
  mHeldEffects = std::move(held);
  return true;
}

resShader* CPostEffectManager::activeEffect(u32 index, u32 time) const {
  const PostEffectEntry& entry = mEntries[index];
  return entry.start <= time && time <= entry.end ? entry.pEffect : nullptr;
}

f32 CPostEffectManager::effectRate(u32 index, u32 time) const {
  const PostEffectEntry& entry = mEntries[index];
  if (time < entry.start || time > entry.end) {
    return 0.0f;
  }
  // A zero-length entry is complete at its only millisecond.
  if (entry.end == entry.start) {
    return 1.0f;
  }
  return static_cast<f32>(time - entry.start) / static_cast<f32>(entry.end - entry.start);
}
