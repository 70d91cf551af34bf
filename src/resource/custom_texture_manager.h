// customTextureManager: the extra textures every effect may sample, read from
// "data\definition\shaderTextureDefine.txt", loaded once, offered to each effect by
// parameter name, and released at exit. Main thread with the GL context current.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "framework/definition_rows.h"
#include "framework/types.h"
#include "framework/vell_object.h"

class resTexture;
class TextureParameterSink;
class resShader;

struct CustomTexture {
  std::string fileName;
  std::string parameterName;
  resTexture* pTexture = nullptr;  // one counted reference while loaded
};

class customTextureManager : public VellObject {
  VELL_CLASS(customTextureManager, VellObject)
 public:
  inline static customTextureManager* mpThis = nullptr;
  static constexpr const char* DEFINITION_FILE = "data\\definition\\shaderTextureDefine.txt";

  customTextureManager();
  ~customTextureManager() override;

  // Reads the open definition file to its end and loads every texture it names;
  // a texture that does not load is fatal. Returns true.
  bool loadDefinitions(std::FILE* pFile);
  // The same for a data path; false, with nothing changed, when it does not open.
  bool loadDefinitions(const char* pPath);
  // Sets every entry's texture on the effect under the entry's parameter name.
  // Makes the effect current while its parameters are set, then restores the
  // program that was current.
  void applyTextures(resShader* pShader);
  void applyTextures(TextureParameterSink* pShader);
  // Called by the entry at exit, before textureManager::deleteAllTextures.
  void releaseTextures();

  const std::vector<CustomTexture>& getEntries() const { return mEntries; }

 private:
  std::vector<CustomTexture> mEntries;
};

// One definition line (as read, line break included): false when it is skipped
// (fewer than two fields, or a first or second field that starts with "#" or is a
// bare line break). Field 2 loses one trailing carriage return or line feed.
bool parseCustomTextureLine(const char* pLine, std::string& fileName, std::string& parameterName);

// The rows of a definition table as its loader reads them (whole lines, CR LF as
// LF), each with the table line it stands on; `skipped` gets the lines meant as
// rows that are not.
struct CustomTextureRow {
  std::string fileName;
  std::string parameterName;
  u32 line = 0;
};
std::vector<CustomTextureRow> readCustomTextureRows(std::FILE* pFile, std::vector<DefinitionSkip>* skipped = nullptr);
