// The post-effect table: loading and the time queries of its entries.
#include "screen/post_effect_manager.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "framework/critical_check.h"
#include "framework/shell_path.h"
#include "resource/res_shader.h"
#include "resource/resource_manager.h"

CPostEffectManager::~CPostEffectManager() { releaseEffects(); }

void CPostEffectManager::releaseEffects() {
  for (resShader*& pEffect : mHeldEffects) releaseResource(pEffect);
  mHeldEffects.clear();
  for (PostEffectEntry& entry : mEntries) entry.pEffect = nullptr;
}

bool CPostEffectManager::readTable(std::FILE* file, std::vector<PostEffectEntry>& entries,
                                   std::vector<resShader*>& held, std::string& error, std::size_t& refused) {
  std::vector<DefinitionSkip> skipped;
  entries = readPostEffectDefinitions(file, &skipped);
  for (const DefinitionSkip& skip : skipped) {
    std::fprintf(stderr, "%s:%u: the row %s; row skipped\n", DEFINITION_FILE, static_cast<unsigned>(skip.lineNumber),
                 skip.reason.c_str());
  }
  sortPostEffectEntries(entries);
  for (PostEffectEntry& entry : entries) {
    // A name that climbs out of the show's folder is not opened at all: the
    // entry never runs, as one whose effect is missing.
    const std::string path = "data\\shader\\" + entry.effectFile;
    const std::string refusal = paths::dataNameRefusal("data\\shader\\", entry.effectFile);
    if (!refusal.empty()) {
      std::fprintf(stderr, "%s:%u: error: %s: the effect's name %s; the entry never runs\n", DEFINITION_FILE,
                   static_cast<unsigned>(entry.line), entry.effectFile.c_str(), refusal.c_str());
      continue;
    }
    auto* pEffect = static_cast<resShader*>(resourceManager::mpThis->getResource(path.c_str(), resShader::DTI));
    if (pEffect) {
      entry.pEffect = pEffect;
      held.push_back(pEffect);
    } else {
      std::fprintf(stderr, "%s:%u: error: %s: the effect %s %s; the entry never runs\n", DEFINITION_FILE,
                   static_cast<unsigned>(entry.line), entry.effectFile.c_str(), path.c_str(),
                   resourceManager::mpThis->lastFailure().c_str());
    }
  }
  for (refused = 0; refused < entries.size(); ++refused) {
    const PostEffectEntry& entry = entries[refused];
    const std::string where = std::string(DEFINITION_FILE) + ":" + std::to_string(entry.line) + ": error: " +
                              entry.effectFile + ": ";
    if (entry.bufferID < RENDER_TARGET_BEGIN || entry.bufferID >= RENDER_TARGET_END) {
      error = where + "output buffer " + std::to_string(entry.bufferID) + " is neither -1 (the composite screen) nor a work screen 0.." +
              std::to_string(RENDER_TARGET_END - 1);
      return false;
    }
    // An entry whose effect did not load never runs, so only its sign is checked.
    const s64 passes = entry.pEffect ? entry.pEffect->getPassNum() : INT32_MAX;
    if (entry.pass < -1 || entry.pass >= passes) {
      error = where + "pass " + std::to_string(entry.pass) + " is neither -1 (every pass) nor one of the effect's " +
              (entry.pEffect ? std::to_string(passes) + " passes" : std::string("passes"));
      return false;
    }
  }
  // A work screen has one size for the whole table: every entry writing it
  // must ask for the same one, and the composite screen keeps the window's.
  for (refused = 0; refused < entries.size(); ++refused) {
    const PostEffectEntry& entry = entries[refused];
    const std::string where = std::string(DEFINITION_FILE) + ":" + std::to_string(entry.line) + ": error: " +
                              entry.effectFile + ": ";
    if (entry.outputDivisor == 0) {
      error = where + "the size column is none of 1/1, 1/2, 1/4 and 1/8";
      return false;
    }
    if (entry.bufferID == -1) {
      if (entry.outputDivisor != 1) {
        error = where + "the composite screen (-1) always has the window's size";
        return false;
      }
      continue;
    }
    for (std::size_t other = 0; other < refused; ++other) {
      const PostEffectEntry& earlier = entries[other];
      if (earlier.bufferID == entry.bufferID && earlier.outputDivisor != entry.outputDivisor) {
        error = where + "work screen " + std::to_string(entry.bufferID) + " is written at 1/" +
                std::to_string(entry.outputDivisor) + " here but at 1/" + std::to_string(earlier.outputDivisor) +
                " on line " + std::to_string(earlier.line);
        return false;
      }
    }
  }
  return true;
}

void CPostEffectManager::installTable(std::vector<PostEffectEntry>& entries, std::vector<resShader*>& held) {
  // The old table lets go only now, so an effect both tables use keeps its
  // count above zero and is not built twice.
  releaseEffects();
  mEntries = std::move(entries);
  mHeldEffects = std::move(held);
  for (u32& divisor : mWorkDivisor) divisor = 1;
  for (const PostEffectEntry& entry : mEntries) {
    if (entry.bufferID >= 0) mWorkDivisor[entry.bufferID] = entry.outputDivisor;
  }
}

bool CPostEffectManager::loadDefinitions(std::FILE* file) {
  std::vector<PostEffectEntry> entries;
  std::vector<resShader*> held;
  std::string error;
  std::size_t refused = 0;
  if (!readTable(file, entries, held, error, refused)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    // The texts the stage would stop with when the entry ran.
    const PostEffectEntry& entry = entries[refused];
    const s32 bufferID = entry.bufferID;
    CRITICAL_CHECK(bufferID>=CPostEffectManager::RENDER_TARGET_BEGIN && bufferID<CPostEffectManager::RENDER_TARGET_END, "invalid screen buffer id");
    const u32 index = static_cast<u32>(entry.pass);
    const u32 passCount = entry.pEffect ? entry.pEffect->getPassNum() : 0;
    auto getPassNum = [passCount] { return passCount; };
    if (entry.pass < -1 || (entry.pEffect && entry.pass >= static_cast<s64>(passCount))) {
      CRITICAL_CHECK(index<getPassNum(), "");
    }
    vell::fatalExit("Critical error:[outputDivisor + \"invalid screen size\"]");
  }
  installTable(entries, held);
  return true;
}

bool CPostEffectManager::loadDefinitions(std::FILE* file, std::string& error) {
  std::vector<PostEffectEntry> entries;
  std::vector<resShader*> held;
  std::size_t refused = 0;
  error.clear();
  if (!readTable(file, entries, held, error, refused)) {
    for (resShader*& pEffect : held) releaseResource(pEffect);
    return false;
  }
  // A table being edited is refused outright for a name outside the data folder.
  for (const PostEffectEntry& entry : entries) {
    const std::string refusal = paths::dataNameRefusal("data\\shader\\", entry.effectFile);
    if (refusal.empty()) continue;
    error = std::string(DEFINITION_FILE) + ":" + std::to_string(entry.line) + ": error: " + entry.effectFile +
            ": the effect's name " + refusal;
    for (resShader*& pEffect : held) releaseResource(pEffect);
    return false;
  }
  installTable(entries, held);
  return true;
}

resShader* CPostEffectManager::activeEffect(u32 index, u32 time) const {
  const PostEffectEntry& entry = mEntries[index];
  return entry.start <= time && time <= entry.end ? entry.pEffect : nullptr;
}

bool CPostEffectManager::firstScreenEntry(u32 time, u32& index) const {
  for (u32 i = 0; i < getEntryCount(); ++i) {
    if (mEntries[i].bufferID == -1 && activeEffect(i, time)) {
      index = i;
      return true;
    }
  }
  return false;
}

bool CPostEffectManager::screenPaintedWholeThroughout(u32 end,
                                                      const std::function<bool(u32 index)>& paintsWhole) const {
  // Which entry runs first changes only where a screen entry starts or stops.
  std::vector<u32> times{0};
  for (const PostEffectEntry& entry : mEntries) {
    if (entry.bufferID != -1) continue;
    if (entry.start <= end) times.push_back(entry.start);
    if (entry.end < end) times.push_back(entry.end + 1);
  }
  for (u32 time : times) {
    u32 index = 0;
    if (!firstScreenEntry(time, index) || !paintsWhole(index)) return false;
  }
  return true;
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
