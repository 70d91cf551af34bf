// Author mode's hot reload: every loaded file and the three tables, each checked
// before it replaces what plays, a failed one keeping the old version.
#include "app/dev_mode.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "demo/demo_manager.h"
#include "demo/qel_scene_factory.h"
#include "demo/scene.h"
#include "demo/scene_definitions.h"
#include "demo/scene_manager.h"
#include "demo/scene_qel_trampoline.h"
#include "framework/shell_path.h"
#include "framework/vell_file.h"
#include "resource/custom_texture_manager.h"
#include "resource/engine_parameters.h"
#include "resource/qel_animation.h"
#include "resource/res_mqo.h"
#include "resource/res_shader.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "screen/post_effect_definitions.h"
#include "screen/post_effect_manager.h"

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

// A first load of an effect that does not compile stops the run, so every effect
// an edited post-effect table names that is not loaded yet is tried first. False
// with "FILE:LINE: error: ..." naming the table's line and the effect's own error.
bool newTableEffectsCompile(const std::string& content, std::string& error) {
  if (!resourceManager::mpThis) return true;
  std::vector<PostEffectEntry> entries;
  loadFromText(content, [&](std::FILE* pFile) { entries = readPostEffectDefinitions(pFile); });
  for (const PostEffectEntry& entry : entries) {
    if (!paths::dataNameRefusal("data\\shader\\", entry.effectFile).empty()) continue;  // refused by the table
    const std::string path = "data\\shader\\" + entry.effectFile;
    if (resourceManager::mpThis->findResource(path)) continue;
    VellFile probe;
    if (!probe.open(path.c_str())) continue;  // a missing effect never runs; the table says so
    std::string problem;
    if (!resShader::wouldLoad(path, problem)) {
      error = std::string(CPostEffectManager::DEFINITION_FILE) + ":" + std::to_string(entry.line) + ": error: " +
              entry.effectFile + " does not load: " + problem;
      return false;
    }
  }
  return true;
}

// Loads every texture the effect-texture table names, read by the loader's own
// row reader so that lines and pieces agree with what it will load. False
// with "FILE:LINE: error: ..." for the first one that does not load, or that a
// loaded effect declares as something other than a sampler.
bool loadTableTextures(const std::string& content, std::vector<resTexture*>& held, std::string& error) {
  if (!resourceManager::mpThis) return false;
  std::vector<CustomTextureRow> rows;
  loadFromText(content, [&](std::FILE* pFile) { rows = readCustomTextureRows(pFile); });
  for (const CustomTextureRow& row : rows) {
    const std::string where = std::string(customTextureManager::DEFINITION_FILE) + ":" + std::to_string(row.line) + ": error: ";
    const std::string refusal = paths::dataNameRefusal("", row.fileName);
    if (!refusal.empty()) {
      error = where + "the texture name '" + row.fileName + "' " + refusal + "\n";
      return false;
    }
    auto* pTexture =
        static_cast<resTexture*>(resourceManager::mpThis->getResource(row.fileName.c_str(), resTexture::DTI));
    if (!pTexture) {
      error = where + "texture '" + row.fileName + "' for parameter '" + row.parameterName + "' cannot be loaded: it " +
              resourceManager::mpThis->lastFailure() + "\n";
      return false;
    }
    held.push_back(pTexture);
    // A loaded effect declaring the name as anything but a sampler would read
    // the texture name as floats.
    for (resourceObject* pResource : resourceManager::mpThis->getResources()) {
      const auto* pShader = dynamic_cast<const resShader*>(pResource);
      if (!pShader) continue;
      for (const resShader::ShaderParam& param : pShader->mVecParam) {
        if (param.name != row.parameterName && param.semantic != row.parameterName) continue;
        const std::string problem =
            engine_parameters::checkTableTexture(param.name, row.parameterName, param.parameter->getTypeInfo());
        if (problem.empty()) continue;
        error = where + pShader->getPath() + ":" + std::to_string(param.parameter->getLine()) + ": " + problem + "\n";
        return false;
      }
    }
  }
  return true;
}

}  // namespace

void CDevMode::watchLoadedFiles() {
  if (!resourceManager::mpThis) return;
  for (resourceObject* pResource : resourceManager::mpThis->getResources()) mWatcher.watch(pResource->getPath());
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
      if (newTableEffectsCompile(content, error)) {
        loadFromText(content, [&](std::FILE* pFile) { reloaded = pTable->loadDefinitions(pFile, error); });
      }
      if (reloaded) watchLoadedFiles();
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
  } else if (path == CQelSceneFactory::DEFINITION_FILE) {
    reloaded = reloadRunningOrder(content, error);
  } else if (resourceManager::mpThis) {
    if (resourceObject* pResource = resourceManager::mpThis->findResource(path)) {
      reloaded = reloadResource(pResource, content, error);
    }
  }
  mErrors.erase(std::remove_if(mErrors.begin(), mErrors.end(), [&](const auto& entry) { return entry.first == path; }),
                mErrors.end());
  if (reloaded) {
    ++mReloadCount;
    std::fprintf(stderr, "orvane: reloaded %s\n", path.c_str());
    watchLoadedFiles();  // a new version may have loaded files of its own
    mDemo.warmUp();      // and new programs: built now, not at the frame that first draws them
  } else if (!error.empty()) {
    mErrors.emplace_back(path, firstErrorLine(error));
    std::fprintf(stderr, "orvane: reload failed %s\n", mErrors.back().second.c_str());
  }
}

bool CDevMode::reloadResource(resourceObject* pResource, const std::string& content, std::string& error) {
  if (auto* pShader = dynamic_cast<resShader*>(pResource)) {
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
    if (!pShader->reload(content, error, passesInUse)) return false;
    pShader->markReloaded();
    return true;
  }
  const std::string path = pResource->getPath();
  const auto* pTexture = dynamic_cast<const resTexture*>(pResource);
  const f32 scaleU = pTexture ? pTexture->getScaleU() : 0.0f;
  const f32 scaleV = pTexture ? pTexture->getScaleV() : 0.0f;
  if (!resourceManager::mpThis->reloadResource(path, error)) return false;
  if (pTexture && (pTexture->getScaleU() != scaleU || pTexture->getScaleV() != scaleV)) {
    recompileModelsUsing(pTexture);
  }
  if (dynamic_cast<resQEL*>(pResource)) {
    rebuildScenesOf(pResource);
  } else if (auto* pModel = dynamic_cast<resMQO*>(pResource)) {
    reloadAnimationsOf(pModel);
  }
  return true;
}

void CDevMode::reloadAnimationsOf(const resourceObject* pModel) {
  // The animations that move the model keep tracks per part of it: read them
  // again against the new parts. One that no longer reads keeps its old version.
  std::vector<resQEL*> users;
  for (resourceObject* pOther : resourceManager::mpThis->getResources()) {
    auto* pAnimation = dynamic_cast<resQEL*>(pOther);
    if (!pAnimation || !pAnimation->mpQel) continue;
    const auto& models = pAnimation->mpQel->obj;
    if (std::find(models.begin(), models.end(), pModel) != models.end()) users.push_back(pAnimation);
  }
  for (resQEL* pAnimation : users) {
    std::string animationError;
    if (resourceManager::mpThis->reloadResource(pAnimation->getPath(), animationError)) {
      rebuildScenesOf(pAnimation);
    } else {
      std::fprintf(stderr, "orvane: reload failed %s\n", firstErrorLine(animationError).c_str());
    }
  }
}

void CDevMode::recompileModelsUsing(const resTexture* pTexture) {
  // A model's lists hold its texture coordinates scaled to the padded picture.
  std::vector<std::string> users;
  for (resourceObject* pOther : resourceManager::mpThis->getResources()) {
    const auto* pModel = dynamic_cast<const resMQO*>(pOther);
    if (!pModel) continue;
    const bool uses = std::find(pModel->textures.begin(), pModel->textures.end(), pTexture) != pModel->textures.end();
    if (uses) users.push_back(pModel->getPath());
  }
  for (const std::string& path : users) {
    std::string modelError;
    resourceObject* pModel = resourceManager::mpThis->findResource(path);
    if (pModel && resourceManager::mpThis->reloadResource(path, modelError)) {
      reloadAnimationsOf(pModel);
    } else if (!modelError.empty()) {
      std::fprintf(stderr, "orvane: reload failed %s\n", firstErrorLine(modelError).c_str());
    }
  }
}

void CDevMode::rebuildScenesOf(const resourceObject* pAnimation) {
  for (int line = 0; line < CDemoManager::LINE_COUNT; ++line) {
    for (CSceneManager* pManager : mDemo.getSceneManagers(line)) {
      if (!pManager) continue;
      for (IScene* pScene : pManager->getScenes()) {
        auto* pRow = dynamic_cast<CSceneQelTrampoline*>(pScene);
        if (pRow && pRow->getAnimation() == pAnimation) pRow->rebuildFromAnimation();
      }
    }
  }
  // Scene lengths may have changed: each line enters what it finds next frame.
  mDemo.forgetCurrentScenes();
}

bool CDevMode::reloadRunningOrder(const std::string& content, std::string& error) {
  const std::string file = CQelSceneFactory::DEFINITION_FILE;
  std::vector<SceneDefInfo> rows;
  loadFromText(content, [&](std::FILE* pFile) { rows = readSceneDefinitions(pFile, file.c_str()); });
  s32 lines = 0;
  for (const SceneDefInfo& row : rows) lines = std::max(lines, row.line + 1);
  if (lines - 1 >= static_cast<s32>(rows.size())) {
    error = file + ":" + std::to_string(rows.empty() ? 0 : rows.back().fileLine) + ": line " +
            std::to_string(lines - 1) + " is used but there are only " + std::to_string(rows.size()) + " rows";
    return false;
  }
  // Everything a row names is taken before anything is replaced, so that a row
  // naming a missing file leaves the running order as it was.
  resourceManager& manager = *resourceManager::mpThis;
  std::vector<resourceObject*> taken;
  std::vector<resShader*> lineShaders;
  auto giveBack = [&] {
    for (resourceObject* pResource : taken) releaseResourceObject(pResource);
    for (resShader*& pShader : lineShaders) releaseResource(pShader);
  };
  for (const SceneDefInfo& row : rows) {
    const std::string where = file + ":" + std::to_string(row.fileLine) + ": ";
    // A first load that fails ends the run: a new animation is read once on trial.
    if (!manager.findResource(row.name)) {
      QelAnimation trial;
      trial.missingModelFails = true;
      if (!trial.read(row.name)) {
        error = where + "the animation " + row.name + " cannot be loaded: " + trial.error();
        giveBack();
        return false;
      }
    }
    resourceObject* pAnimation = manager.getResource(row.name.c_str(), resQEL::DTI);
    if (!pAnimation) {
      error = where + "the animation " + row.name + " cannot be loaded";
      giveBack();
      return false;
    }
    taken.push_back(pAnimation);
    resShader* pShader = nullptr;
    if (row.shader != "default") {
      const std::string shaderPath = "data\\shader\\" + row.shader + ".fx";
      std::string problem;
      if (manager.findResource(shaderPath) || resShader::wouldLoad(shaderPath, problem)) {
        pShader = static_cast<resShader*>(manager.getResource(shaderPath.c_str(), resShader::DTI));
      }
      if (!pShader) {
        error = where + "the line shader " + shaderPath + " cannot be loaded: " + firstErrorLine(problem);
        giveBack();
        return false;
      }
    }
    lineShaders.push_back(pShader);
  }

  auto pFactory = std::make_unique<CQelSceneFactory>();
  pFactory->read(rows);
  std::vector<std::unique_ptr<CSceneManager>> managers;
  mDemo.clearSceneManagers();
  mDemo.clearLineShaders();
  for (u32 index = 0; index < pFactory->getDefinitionCount() && index < lineShaders.size(); ++index) {
    const SceneDefInfo& row = pFactory->getDefinition(index);
    IScene* pScene = pFactory->createScene(index);
    pScene->setLineIndex(row.line);
    auto& pManager = managers.emplace_back(std::make_unique<CSceneManager>());
    pManager->addScene(pScene);
    mDemo.addSceneManager(row.line, pManager.get());
    mDemo.addLineShader(row.line, lineShaders[index]);  // the reference goes to the demo
    lineShaders[index] = nullptr;
  }
  giveBack();  // the scenes hold their own references now
  // The old scenes go after the new ones took their shared files.
  mSceneManagers = std::move(managers);
  mpFactory = std::move(pFactory);
  return true;
}

std::string CDevMode::reloadErrors() const {
  std::string text;
  for (const auto& entry : mErrors) text += entry.second + "\n";
  return text;
}
