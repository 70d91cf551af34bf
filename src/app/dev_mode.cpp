// Author mode over the demo manager: keys become seeks on the demo sound, each
// frame polls the watched files and draws the overlay after the composition.
#include "app/dev_mode.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/dev_overlay.h"
#include "demo/demo_manager.h"
#include "demo/scene.h"
#include "demo/scene_manager.h"
#include "render/custom_texture_manager.h"
#include "resource/engine_parameters.h"
#include "resource/res_shader.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "screen/post_effect_manager.h"
#include "sound/demo_sound.h"

namespace {

// The first "FILE:LINE: error: ..." line of the runtime's report, or its first line.
std::string firstErrorLine(const std::string& text) {
  std::size_t start = 0;
  std::string first;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (first.empty()) first = line;
    if (line.find(": error: ") != std::string::npos) return line;
    start = end + 1;
  }
  return first;
}

std::string minutesSeconds(u32 ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u.%03u", ms / 60000, ms / 1000 % 60, ms % 1000);
  return text;
}

// Tables are read through stdio; a reloaded one is handed over from memory.
template <typename Load>
void loadFromText(const std::string& content, Load load) {
  std::FILE* pFile = std::tmpfile();
  if (!pFile) return;
  std::fwrite(content.data(), 1, content.size(), pFile);
  std::rewind(pFile);
  load(pFile);
  std::fclose(pFile);
}

// Loads every texture the effect-texture table names, as its loader will, in
// the loader's own reading of lines (1023-character pieces, CRLF as LF). False
// with "FILE:LINE: error: ..." for the first one that does not load, or that a
// loaded effect declares as something other than a sampler.
bool loadTableTextures(const std::string& content, std::vector<resTexture*>& held, std::string& error) {
  if (!resourceManager::mpThis) return false;
  u32 line = 1;
  std::size_t at = 0;
  while (at < content.size()) {
    const std::size_t newline = content.find('\n', at);
    const std::size_t lineEnd = newline == std::string::npos ? content.size() : newline + 1;
    const std::size_t end = std::min(lineEnd, at + 1023);
    std::string piece = content.substr(at, end - at);
    at = end;
    if (piece.size() >= 2 && piece[piece.size() - 2] == '\r' && piece.back() == '\n') piece.erase(piece.size() - 2, 1);
    std::string fileName;
    std::string parameterName;
    if (parseCustomTextureLine(piece.c_str(), fileName, parameterName)) {
      auto* pTexture =
          static_cast<resTexture*>(resourceManager::mpThis->getResource(fileName.c_str(), resTexture::DTI));
      if (!pTexture) {
        error = std::string(customTextureManager::DEFINITION_FILE) + ":" + std::to_string(line) +
                ": error: texture '" + fileName + "' for parameter '" + parameterName + "' cannot be loaded\n";
        return false;
      }
      held.push_back(pTexture);
      // A loaded effect declaring the name as anything but a sampler would read
      // the texture name as floats.
      for (resourceObject* pResource : resourceManager::mpThis->getResources()) {
        const auto* pShader = dynamic_cast<const resShader*>(pResource);
        if (!pShader) continue;
        for (const resShader::ShaderParam& param : pShader->mVecParam) {
          if (param.name != parameterName && param.semantic != parameterName) continue;
          const std::string problem =
              engine_parameters::checkTableTexture(param.name, parameterName, param.parameter->getTypeInfo());
          if (problem.empty()) continue;
          error = std::string(customTextureManager::DEFINITION_FILE) + ":" + std::to_string(line) + ": error: " +
                  pShader->getPath() + ":" + std::to_string(param.parameter->getLine()) + ": " + problem + "\n";
          return false;
        }
      }
    }
    if (!piece.empty() && piece.back() == '\n') ++line;
  }
  return true;
}

}  // namespace

CDevMode::CDevMode(CDemoManager& demo, MillisecondClock clock, CFileWatcher::Reader reader)
    : mDemo(demo), mClock(std::move(clock)), mWatcher(std::move(reader)) {}

void CDevMode::install() {
  mDemo.setKeyHandler([this](platform::Key key) { handleKey(key); });
  mDemo.setFrameObserver(this);
  mDemo.setHoldAtEnd(true);
  watchLoadedEffects();
  mWatcher.watch(CPostEffectManager::DEFINITION_FILE);
  mWatcher.watch(customTextureManager::DEFINITION_FILE);
}

void CDevMode::uninstall() {
  mDemo.setKeyHandler(nullptr);
  mDemo.setFrameObserver(nullptr);
  mDemo.setHoldAtEnd(false);
}

void CDevMode::handleKey(platform::Key key) {
  IDemoSound* pSound = mDemo.getDemoSound();
  if (!pSound) return;
  const s64 now = pSound->getTime();
  switch (key) {
    case platform::Key::Space:
      togglePause();
      break;
    case platform::Key::Left:
      seek(now - SMALL_STEP);
      break;
    case platform::Key::Right:
      seek(now + SMALL_STEP);
      break;
    case platform::Key::Down:
      seek(now - LARGE_STEP);
      break;
    case platform::Key::Up:
      seek(now + LARGE_STEP);
      break;
    case platform::Key::PageUp: {
      // Half a second of grace, so that repeated presses walk back scene by scene.
      const std::vector<u32> bounds = sceneBoundaries();
      s64 target = 0;
      for (const u32 bound : bounds) {
        if (static_cast<s64>(bound) + 500 < now) target = bound;
      }
      seek(target);
      break;
    }
    case platform::Key::PageDown: {
      const std::vector<u32> bounds = sceneBoundaries();
      for (const u32 bound : bounds) {
        if (static_cast<s64>(bound) > now) {
          seek(bound);
          break;
        }
      }
      break;
    }
    case platform::Key::Home:
      seek(0);
      if (!pSound->isPlaying()) pSound->play(pSound->getTime());
      break;
    default:
      break;
  }
}

void CDevMode::seek(s64 ms) {
  IDemoSound* pSound = mDemo.getDemoSound();
  if (!pSound) return;
  const s64 end = mDemo.getShowEndTime();
  pSound->seek(static_cast<u32>(std::clamp<s64>(ms, 0, end)));
  mDemo.forgetCurrentScenes();
}

void CDevMode::togglePause() {
  IDemoSound* pSound = mDemo.getDemoSound();
  if (!pSound) return;
  if (pSound->isPlaying()) {
    pSound->stop();
  } else {
    pSound->play(pSound->getTime());
  }
}

std::vector<u32> CDevMode::sceneBoundaries() const {
  std::vector<u32> bounds;
  for (int line = 0; line < CDemoManager::LINE_COUNT; ++line) {
    for (const CSceneManager* pManager : mDemo.getSceneManagers(line)) {
      if (!pManager) continue;
      for (const IScene* pScene : pManager->getScenes()) {
        if (pScene) bounds.push_back(pScene->getStartTime());
      }
    }
  }
  bounds.push_back(mDemo.getShowEndTime());
  std::sort(bounds.begin(), bounds.end());
  bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
  return bounds;
}

void CDevMode::watchLoadedEffects() {
  if (!resourceManager::mpThis) return;
  for (resourceObject* pResource : resourceManager::mpThis->getResources()) {
    if (dynamic_cast<resShader*>(pResource)) mWatcher.watch(pResource->getPath());
  }
}

void CDevMode::pollFiles() {
  for (const CFileWatcher::Change& change : mWatcher.poll(mClock())) {
    reloadFile(change.path, change.content);
  }
}

void CDevMode::reloadFile(const std::string& path, const std::string& content) {
  std::string error;
  bool reloaded = false;
  if (path == CPostEffectManager::DEFINITION_FILE) {
    if (CPostEffectManager* pTable = mDemo.getPostEffectManager()) {
      // A refused table (a pass or output the effects do not have) keeps the old one.
      loadFromText(content, [&](std::FILE* pFile) { reloaded = pTable->loadDefinitions(pFile, error); });
      if (reloaded) watchLoadedEffects();
    }
  } else if (path == customTextureManager::DEFINITION_FILE) {
    if (customTextureManager::mpThis) {
      // The table's own loader stops the run at a texture that does not load; a
      // table being edited is checked first, and its textures stay held until
      // the loader has taken its own references.
      std::vector<resTexture*> held;
      reloaded = loadTableTextures(content, held, error);
      if (reloaded) {
        loadFromText(content, [](std::FILE* pFile) { customTextureManager::mpThis->loadDefinitions(pFile); });
      }
      for (resTexture*& pTexture : held) releaseResource(pTexture);
    }
  } else if (resourceManager::mpThis) {
    for (resourceObject* pResource : resourceManager::mpThis->getResources()) {
      resShader* pShader = dynamic_cast<resShader*>(pResource);
      if (!pShader || pShader->getPath() != path) continue;
      // Entries that run one pass by index need the new version to have it.
      u32 passesInUse = 1;
      if (const CPostEffectManager* pTable = mDemo.getPostEffectManager()) {
        for (u32 index = 0; index < pTable->getEntryCount(); ++index) {
          const PostEffectEntry& entry = pTable->getEntry(index);
          if (entry.pEffect == pShader && entry.pass >= 0) {
            passesInUse = std::max(passesInUse, static_cast<u32>(entry.pass) + 1);
          }
        }
      }
      reloaded = pShader->reload(content, error, passesInUse);
      break;
    }
  }
  mErrors.erase(std::remove_if(mErrors.begin(), mErrors.end(), [&](const auto& entry) { return entry.first == path; }),
                mErrors.end());
  if (reloaded) {
    ++mReloadCount;
    std::fprintf(stderr, "orvane: reloaded %s\n", path.c_str());
  } else if (!error.empty()) {
    mErrors.emplace_back(path, firstErrorLine(error));
  }
}

std::string CDevMode::reloadErrors() const {
  std::string text;
  for (const auto& entry : mErrors) text += entry.second + "\n";
  return text;
}

std::vector<std::string> CDevMode::overlayLines(u32 time) const {
  std::vector<std::string> lines;
  IDemoSound* pSound = mDemo.getDemoSound();
  const bool paused = pSound && !pSound->isPlaying();
  char text[160];
  std::snprintf(text, sizeof text, "TIME %s / %s%s   FRAME %u ms", minutesSeconds(time).c_str(),
                minutesSeconds(mDemo.getShowEndTime()).c_str(), paused ? "  PAUSED" : "", mFrameMilliseconds);
  lines.push_back(text);
  for (int line = 0; line < CDemoManager::LINE_COUNT; ++line) {
    const IScene* pScene = mDemo.getCurrentScene(line);
    if (pScene) {
      std::snprintf(text, sizeof text, "LINE %d %s %3.0f%%", line, pScene->getName().c_str(),
                    static_cast<double>(mDemo.getLineProgress(line)) * 100.0);
    } else {
      std::snprintf(text, sizeof text, "LINE %d -", line);
    }
    lines.push_back(text);
  }
  if (const CPostEffectManager* pTable = mDemo.getPostEffectManager()) {
    for (u32 index = 0; index < pTable->getEntryCount(); ++index) {
      if (!pTable->activeEffect(index, time)) continue;
      const PostEffectEntry& entry = pTable->getEntry(index);
      std::snprintf(text, sizeof text, "POST %s pass %d -> %d", entry.effectFile.c_str(), entry.pass, entry.bufferID);
      lines.push_back(text);
    }
  }
  for (const auto& entry : mErrors) {
    lines.push_back("RELOAD FAILED " + entry.second.substr(0, 150));
  }
  return lines;
}

void CDevMode::onFrameStart(u32 /*demoTime*/) {
  const u32 now = mClock();
  if (mHaveFrame) mFrameMilliseconds = now - mLastFrameStart;
  mHaveFrame = true;
  mLastFrameStart = now;
  pollFiles();
}

void CDevMode::onFrameComposed(u32 demoTime) { devoverlay::drawText(overlayLines(demoTime)); }
