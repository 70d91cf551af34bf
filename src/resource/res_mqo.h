// resMQO: a Metasequoia model as a resource — the parsed model, each material's
// texture, alpha-plane texture and effect, and the display lists that draw the
// model per material and per object. Main thread, with the GL context current.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/types.h"
#include "resource/mqo_model.h"
#include "resource/resource_object.h"

class resShader;
class resTexture;

class resMQO : public resourceObject {
  VELL_CLASS(resMQO, resourceObject)
 public:
  static constexpr const char* DEFAULT_TEXTURE = "data\\texture\\defaultTexture.bmp";
  static constexpr const char* DEFAULT_SHADER = "data\\shader\\defaultShader.fx";

  resMQO() = default;
  ~resMQO() override;

  bool load(VellFileStream& stream) override;
  const char* getExtensionMask() const override { return "mqo"; }
  // Reads the model again with its material resources and lists; the old model,
  // resources and lists stay when the file or a material's texture is refused.
  bool reload(std::string& error) override;

  u32 getObjectNum() const;
  const MqoObject& getObject(u32 index) const;
  std::string getObjectName(u32 index) const;  // empty when out of range
  u32 getMaterialNum() const;
  const MqoMaterial& getMaterial(u32 index) const;
  resShader* getMaterialEffect(u32 material) const;
  void overwriteMaterial(const MqoMaterial& material, u32 index);
  void resetMaterial(u32 index);
  resTexture* getTexture(u32 material) const { return material < textures.size() ? textures[material] : nullptr; }
  resTexture* getAplaneTexture(u32 material) const {
    return material < aplaneTextures.size() ? aplaneTextures[material] : nullptr;
  }
  // The list of a material's triangles (all objects); 0 when no triangle uses it.
  u32 getMaterialList(u32 material) const { return material < materialLists.size() ? materialLists[material] : 0; }
  // The list of an object's triangles of one material; 0 when it has none.
  u32 getObjectMaterialList(u32 object, u32 material) const;
  // (material, list) for each material the object's triangles use, by material.
  const std::vector<std::pair<u32, u32>>& getObjectMaterialLists(u32 object) const;
  const MqoPoint& getBone(const std::string& name) const;
  // Marker points and bounds of the loaded model (CRITICAL_CHECK on mpMqo).
  const MqoPoint& getLightPos() const;
  const MqoPoint& getLightLookAt() const;
  const MqoPoint& getBoundsMin() const;
  const MqoPoint& getBoundsMax() const;
  // Draws one face of an object with the material's texture scale (into a list
  // being compiled, or straight away).
  void drawFace(u32 object, u32 faceIndex, u32 material) const;

  const MqoModel* getModel() const { return mpMqo.get(); }

  std::unique_ptr<MqoModel> mpMqo;
  std::vector<resTexture*> textures;        // one held reference each
  std::vector<resTexture*> aplaneTextures;  // one held reference each
  std::vector<resShader*> effects;          // one held reference each
  std::vector<u32> materialLists;                         // 0 for a material without triangles
  std::map<u32, std::vector<std::pair<u32, u32>>> objectLists;  // only the materials used

 private:
  struct FaceRef {
    u32 object;
    u32 face;
  };
  // False with the problem when a material's texture or effect cannot be had.
  bool obtainMaterialResources(std::string* pProblem = nullptr);
  void compileLists();
  u32 compileList(const std::vector<FaceRef>& faces, u32 material) const;
  void releaseEverything();
};
