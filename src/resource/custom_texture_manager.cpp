// Reading the effect-texture table and binding its textures; the one static customTextureManager.
#include "resource/custom_texture_manager.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "framework/critical_check.h"
#include "framework/shell_path.h"
#include "framework/vell_manager.h"
#include "resource/current_effect.h"
#include "resource/res_shader.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"
#include "resource/shader_manager.h"
#include "resource/texture_manager.h"
#include "resource/texture_parameter_sink.h"

namespace {

customTextureManager gCustomTextureManager;

// The next field after `p`: separators are runs of tabs and spaces; everything
// else, line breaks included, belongs to a field.
const char* nextField(const char* p, std::string& field) {
  while (*p == ' ' || *p == '\t') ++p;
  const char* pStart = p;
  while (*p && *p != ' ' && *p != '\t') ++p;
  field.assign(pStart, p);
  return p;
}

bool skipsLine(const std::string& field) { return field.empty() || field[0] == '#' || field == "\n"; }

}  // namespace

bool parseCustomTextureLine(const char* pLine, std::string& fileName, std::string& parameterName) {
  std::string first;
  std::string second;
  const char* p = nextField(pLine, first);
  nextField(p, second);
  if (skipsLine(first) || skipsLine(second)) return false;
  if (second.back() == '\r' || second.back() == '\n') second.pop_back();
  fileName = first;
  parameterName = second;
  return true;
}

customTextureManager::customTextureManager() { vell::registerManager(mpThis, this); }

customTextureManager::~customTextureManager() { vell::unregisterManager(mpThis); }

std::vector<CustomTextureRow> readCustomTextureRows(std::FILE* pFile, std::vector<DefinitionSkip>* skipped) {
  std::vector<CustomTextureRow> rows;
  for (DefinitionRow& row : readDefinitionRows(pFile, 2, skipped)) {
    rows.push_back({std::move(row.columns[0]), std::move(row.columns[1]), row.lineNumber});
  }
  return rows;
}

bool customTextureManager::loadDefinitions(std::FILE* pFile) {
  // Earlier entries give their references back rather than leak them.
  releaseTextures();
  mEntries.clear();
  std::vector<DefinitionSkip> skipped;
  std::vector<CustomTextureRow> rows = readCustomTextureRows(pFile, &skipped);
  for (const DefinitionSkip& skip : skipped) {
    std::fprintf(stderr, "%s:%u: the row %s; row skipped\n", DEFINITION_FILE, static_cast<unsigned>(skip.lineNumber),
                 skip.reason.c_str());
  }
  for (CustomTextureRow& row : rows) {
    const std::string refusal = paths::dataNameRefusal("", row.fileName);
    if (!refusal.empty()) {
      std::fprintf(stderr, "%s:%u: the texture name \"%s\" for parameter '%s' %s; entry skipped\n", DEFINITION_FILE,
                   static_cast<unsigned>(row.line), row.fileName.c_str(), row.parameterName.c_str(), refusal.c_str());
      continue;
    }
    CustomTexture entry;
    entry.fileName = std::move(row.fileName);
    entry.parameterName = std::move(row.parameterName);
    mEntries.push_back(std::move(entry));
  }
  for (CustomTexture& entry : mEntries) {
    resTexture* pTexture =
        static_cast<resTexture*>(resourceManager::mpThis->getResource(entry.fileName.c_str(), resTexture::DTI));
    if (!pTexture) {
      std::fprintf(stderr, "%s: texture \"%s\" for parameter '%s' %s\n", DEFINITION_FILE, entry.fileName.c_str(),
                   entry.parameterName.c_str(), resourceManager::mpThis->lastFailure().c_str());
    }
    CRITICAL_CHECK(pTexture, "failed to load custom texture");
    entry.pTexture = pTexture;
  }
  return true;
}

bool customTextureManager::loadDefinitions(const char* pPath) {
  std::FILE* pFile = std::fopen(paths::hostPath(pPath ? pPath : "").c_str(), "r");
  if (!pFile) return false;
  const bool loaded = loadDefinitions(pFile);
  std::fclose(pFile);
  return loaded;
}

void customTextureManager::applyTextures(resShader* pShader) {
  resShader* pRemembered = shaderManager::mpThis->mpCurrentProgram;
  std::optional<CurrentEffect> current;
  if (pRemembered != pShader) {
    current.emplace(pShader);
  }
  for (const CustomTexture& entry : mEntries) {
    const u32 textureName = textureManager::mpThis->getTextureId(entry.pTexture);
    shaderManager::mpThis->checkedCurrentProgram()->setParameter(entry.parameterName.c_str(), TextureName{textureName});
  }
  if (pRemembered != pShader) {
    // A call made while no program was current has nothing to put back: a broken call.
    resShader* pShader = pRemembered;
    CRITICAL_CHECK(pShader, "");
  }
}

void customTextureManager::applyTextures(TextureParameterSink* pShader) {
  CRITICAL_CHECK(pShader, "");
  for (const CustomTexture& entry : mEntries) {
    const u32 textureName = textureManager::mpThis->getTextureId(entry.pTexture);
    pShader->setTextureParameter(entry.parameterName.c_str(), textureName);
  }
}

void customTextureManager::releaseTextures() {
  for (CustomTexture& entry : mEntries) {
    releaseResource(entry.pTexture);
  }
}
