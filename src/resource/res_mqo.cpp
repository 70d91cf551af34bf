// Model loading: the reader, the material resources with their defaults, and the
// display lists per material and per object. A failed load gives back every
// reference it took. Main thread, with the GL context current.
#include "resource/res_mqo.h"

#include "platform/gl.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "framework/critical_check.h"
#include "framework/vell_file.h"
#include "resource/res_shader.h"
#include "resource/res_texture.h"
#include "resource/resource_manager.h"

resMQO::~resMQO() { releaseEverything(); }

void resMQO::releaseEverything() {
  for (resTexture*& pTexture : textures) releaseResource(pTexture);
  for (resTexture*& pTexture : aplaneTextures) releaseResource(pTexture);
  for (resShader*& pShader : effects) releaseResource(pShader);
  textures.clear();
  aplaneTextures.clear();
  effects.clear();
  for (auto& [object, lists] : objectLists) {
    for (const auto& [material, list] : lists) {
      if (list) glDeleteLists(list, 1);
    }
  }
  objectLists.clear();
  for (u32 list : materialLists) {
    if (list) glDeleteLists(list, 1);
  }
  materialLists.clear();
  mpMqo.reset();
}

bool resMQO::load(VellFileStream& stream) {
  resourceObject::load(stream);
  mpMqo = std::make_unique<MqoModel>();
  CRITICAL_CHECK(mpMqo, "");
  if (!mpMqo->read(stream.getPath())) {
    std::fprintf(stderr, "orvane: cannot load model: %s\n", mpMqo->error().c_str());
    releaseEverything();
    return false;
  }
  try {
    if (!obtainMaterialResources()) {
      releaseEverything();
      return false;
    }
    compileLists();
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "orvane: cannot load model: %s: not enough memory for its materials and display lists\n",
                 getPath().c_str());
    releaseEverything();
    return false;
  }
  return true;
}

bool resMQO::reload(std::string& error) {
  auto pModel = std::make_unique<MqoModel>();
  if (!pModel->read(getPath())) {
    error = pModel->error();
    return false;
  }
  // An effect that fails to compile is fatal when first loaded, so a new one
  // is tried first.
  for (const MqoMaterial& material : pModel->materials) {
    const std::string effect = material.bump.empty() ? DEFAULT_SHADER : material.bump;
    std::string problem;
    if (!resourceManager::mpThis->findResource(effect) && !resShader::wouldLoad(effect, problem)) {
      error = getPath() + ":0: effect " + effect + " does not load: " + problem;
      return false;
    }
  }
  resMQO old;
  old.mpMqo = std::move(mpMqo);
  old.textures = std::move(textures);
  old.aplaneTextures = std::move(aplaneTextures);
  old.effects = std::move(effects);
  old.materialLists = std::move(materialLists);
  old.objectLists = std::move(objectLists);
  textures.clear();
  aplaneTextures.clear();
  effects.clear();
  materialLists.clear();
  objectLists.clear();
  mpMqo = std::move(pModel);
  std::string problem;
  if (!obtainMaterialResources(&problem)) {
    error = getPath() + ":0: " + problem;
    releaseEverything();
    std::swap(mpMqo, old.mpMqo);
    std::swap(textures, old.textures);
    std::swap(aplaneTextures, old.aplaneTextures);
    std::swap(effects, old.effects);
    std::swap(materialLists, old.materialLists);
    std::swap(objectLists, old.objectLists);
    return false;
  }
  compileLists();
  return true;  // `old` gives back the previous lists and references
}

bool resMQO::obtainMaterialResources(std::string* pProblem) {
  resourceManager& manager = *resourceManager::mpThis;
  for (const MqoMaterial& material : mpMqo->materials) {
    const std::string texture = material.tex.empty() ? DEFAULT_TEXTURE : material.tex;
    const std::string aplane = material.aplane.empty() ? DEFAULT_TEXTURE : material.aplane;
    const std::string effect = material.bump.empty() ? DEFAULT_SHADER : material.bump;
    auto* pTexture = static_cast<resTexture*>(manager.getResource(texture.c_str(), resTexture::DTI));
    if (!pTexture) {
      if (pProblem) *pProblem = "texture " + texture + " cannot be loaded: it " + manager.lastFailure();
      else std::fprintf(stderr, "orvane: model %s: texture %s cannot be loaded: it %s\n", getPath().c_str(), texture.c_str(),
                        manager.lastFailure().c_str());
      return false;
    }
    textures.push_back(pTexture);
    auto* pAplane = static_cast<resTexture*>(manager.getResource(aplane.c_str(), resTexture::DTI));
    if (!pAplane) {
      if (pProblem) *pProblem = "texture " + aplane + " cannot be loaded: it " + manager.lastFailure();
      else std::fprintf(stderr, "orvane: model %s: texture %s cannot be loaded: it %s\n", getPath().c_str(), aplane.c_str(),
                        manager.lastFailure().c_str());
      return false;
    }
    aplaneTextures.push_back(pAplane);
    auto* pEffect = static_cast<resShader*>(manager.getResource(effect.c_str(), resShader::DTI));
    if (!pEffect) {
      if (pProblem) *pProblem = "effect " + effect + " cannot be loaded: it " + manager.lastFailure();
      else std::fprintf(stderr, "orvane: model %s: effect %s cannot be loaded: it %s\n", getPath().c_str(), effect.c_str(),
                        manager.lastFailure().c_str());
      return false;
    }
    effects.push_back(pEffect);
  }
  return true;
}

namespace {

// The corners of faces as the four tightly packed arrays the face drawing passes.
struct FaceArrays {
  std::vector<f32> uvs;
  std::vector<f32> verts;
  std::vector<f32> normals;
  std::vector<f32> colors;
};

// Only triangles are drawn: lines (two corners) are kept in the model for whoever
// reads it but have no place in a triangle list.
bool isTriangle(const MqoFace& face) { return face.num_v == 3; }

void appendFace(FaceArrays& arrays, const MqoObject& object, u32 faceIndex, f32 scaleU, f32 scaleV) {
  const std::vector<MqoFace>& face = object.face;
  CRITICAL_CHECK(face[faceIndex].num_v==3, "");
  const bool hasColors = !object.vertexColor.empty();
  for (int corner = 0; corner < 3; ++corner) {
    const s32 v = face[faceIndex].V[corner];
    arrays.uvs.push_back(face[faceIndex].UV[corner][0] * scaleU);
    arrays.uvs.push_back(face[faceIndex].UV[corner][1] * scaleV);
    arrays.verts.insert(arrays.verts.end(), object.vertex[v].begin(), object.vertex[v].end());
    arrays.normals.insert(arrays.normals.end(), object.normal[v].begin(), object.normal[v].end());
    if (hasColors) {
      arrays.colors.insert(arrays.colors.end(), object.vertexColor[v].begin(), object.vertexColor[v].end());
    }
  }
}

// Draws (or, while a list is being compiled, records) the arrays as triangles.
// The client array state is put back as it was.
void drawArrays(const FaceArrays& arrays) {
  const std::vector<f32>& verts = arrays.verts;
  if (verts.empty()) {
    return;
  }
  const bool hasColors = !arrays.colors.empty();
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  if (hasColors) glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, verts.data());
  glNormalPointer(GL_FLOAT, 0, arrays.normals.data());
  glTexCoordPointer(2, GL_FLOAT, 0, arrays.uvs.data());
  if (hasColors) glColorPointer(3, GL_FLOAT, 0, arrays.colors.data());
  CRITICAL_CHECK(verts.size()%3==0, "");
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(verts.size() / 3));
  glPopClientAttrib();
}

}  // namespace

u32 resMQO::compileList(const std::vector<FaceRef>& faces, u32 material) const {
  // One draw per list rather than one per triangle: the list holds the same
  // triangles in the same order and compiles far faster for large models.
  const resTexture* pTexture = getTexture(material);
  const f32 scaleU = pTexture ? pTexture->getScaleU() : 1.0f;
  const f32 scaleV = pTexture ? pTexture->getScaleV() : 1.0f;
  FaceArrays arrays;
  for (const FaceRef& face : faces) {
    appendFace(arrays, mpMqo->objects[face.object], face.face, scaleU, scaleV);
  }
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  drawArrays(arrays);
  glEndList();
  return list;
}

void resMQO::compileLists() {
  // Lists exist only where there are triangles: a material no face uses has none,
  // and an object gets lists only for the materials its faces use, so a file of
  // thousands of materials and objects costs what its faces cost.
  const u32 materialCount = getMaterialNum();
  const u32 objectCount = getObjectNum();
  std::vector<std::vector<FaceRef>> facesOfMaterial(materialCount);
  for (u32 object = 0; object < objectCount; ++object) {
    const MqoObject& data = mpMqo->objects[object];
    for (u32 face = 0; face < data.faceNum; ++face) {
      const MqoFace& record = data.face[face];
      if (isTriangle(record) && record.M >= 0 && static_cast<u32>(record.M) < materialCount) {
        facesOfMaterial[record.M].push_back({object, face});
      }
    }
  }
  materialLists.assign(materialCount, 0);
  for (u32 material = 0; material < materialCount; ++material) {
    const std::vector<FaceRef>& faces = facesOfMaterial[material];
    if (faces.empty()) continue;
    materialLists[material] = compileList(faces, material);
    // The faces are in object order: one run per object.
    for (std::size_t begin = 0; begin < faces.size();) {
      std::size_t end = begin;
      while (end < faces.size() && faces[end].object == faces[begin].object) ++end;
      const std::vector<FaceRef> run(faces.begin() + static_cast<std::ptrdiff_t>(begin),
                                     faces.begin() + static_cast<std::ptrdiff_t>(end));
      objectLists[faces[begin].object].emplace_back(material, compileList(run, material));
      begin = end;
    }
    std::vector<FaceRef>().swap(facesOfMaterial[material]);
  }
}

void resMQO::drawFace(u32 objectIndex, u32 faceIndex, u32 materialIndex) const {
  const MqoObject& object = getObject(objectIndex);
  CRITICAL_CHECK(faceIndex<object.faceNum, "face index past the object's faces");
  const resTexture* pTexture = getTexture(materialIndex);
  if (!isTriangle(object.face[faceIndex])) {
    return;  // a line: nothing to fill
  }
  FaceArrays arrays;
  appendFace(arrays, object, faceIndex, pTexture ? pTexture->getScaleU() : 1.0f,
             pTexture ? pTexture->getScaleV() : 1.0f);
  drawArrays(arrays);
}

u32 resMQO::getObjectNum() const { return mpMqo ? static_cast<u32>(mpMqo->objects.size()) : 0; }

const MqoObject& resMQO::getObject(u32 index) const {
  CRITICAL_CHECK(mpMqo, "");
  CRITICAL_CHECK(index<getObjectNum(), "");
  return mpMqo->objects[index];
}

std::string resMQO::getObjectName(u32 index) const {
  return mpMqo && index < getObjectNum() ? mpMqo->objects[index].name : std::string();
}

u32 resMQO::getMaterialNum() const { return mpMqo ? static_cast<u32>(mpMqo->materials.size()) : 0; }

const MqoMaterial& resMQO::getMaterial(u32 index) const {
  CRITICAL_CHECK(mpMqo, "");
  CRITICAL_CHECK(index<getMaterialNum(), "");
  return mpMqo->materials[index];
}

resShader* resMQO::getMaterialEffect(u32 material) const {
  CRITICAL_CHECK(mpMqo, "");
  CRITICAL_CHECK(material<mpMqo->GetMatNum(), "");
  return material < effects.size() ? effects[material] : nullptr;
}

void resMQO::overwriteMaterial(const MqoMaterial& material, u32 index) {
  CRITICAL_CHECK(mpMqo, "");
  CRITICAL_CHECK(index<getMaterialNum(), "");
  mpMqo->materials[index] = material;
}

void resMQO::resetMaterial(u32 index) {
  CRITICAL_CHECK(mpMqo, "");
  CRITICAL_CHECK(index<getMaterialNum(), "");
  mpMqo->materials[index] = mpMqo->initialMaterials[index];
}

u32 resMQO::getObjectMaterialList(u32 object, u32 material) const {
  const auto found = objectLists.find(object);
  if (found == objectLists.end()) return 0;
  const auto& lists = found->second;
  const auto list = std::lower_bound(lists.begin(), lists.end(), std::make_pair(material, 0u));
  return list != lists.end() && list->first == material ? list->second : 0;
}

const std::vector<std::pair<u32, u32>>& resMQO::getObjectMaterialLists(u32 object) const {
  static const std::vector<std::pair<u32, u32>> kNone;
  const auto found = objectLists.find(object);
  return found == objectLists.end() ? kNone : found->second;
}

const MqoPoint& resMQO::getBone(const std::string& name) const {
  static const MqoPoint kOrigin = {0.0f, 0.0f, 0.0f};
  return mpMqo ? mpMqo->getBone(name) : kOrigin;
}

const MqoPoint& resMQO::getLightPos() const {
  CRITICAL_CHECK(mpMqo, "");
  return mpMqo->lightPos;
}

const MqoPoint& resMQO::getLightLookAt() const {
  CRITICAL_CHECK(mpMqo, "");
  return mpMqo->lightLookAt;
}

const MqoPoint& resMQO::getBoundsMin() const {
  CRITICAL_CHECK(mpMqo, "");
  return mpMqo->boundsMin;
}

const MqoPoint& resMQO::getBoundsMax() const {
  CRITICAL_CHECK(mpMqo, "");
  return mpMqo->boundsMax;
}
