// QelAnimation and resQEL: a scene-animation file — the models it animates and,
// per scene, objects with key-framed tracks per model part plus camera tracks.
// Loading requests every listed model and advances the loading screen per model.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "framework/types.h"
#include "resource/qel_track_set.h"
#include "resource/resource_object.h"
#include "resource/token_reader.h"

class resMQO;
struct MqoMaterial;

inline constexpr u32 CDEMO_OBJECT_NUMMAX = 256;

struct QelObject {
  resMQO* mqo = nullptr;  // obj[mqoIndex], not an extra reference; null for the camera
  s32 mqoIndex = -1;      // -1: the camera object
  QelTrackSet tracks;
  s32 cameraTrans = 1;
  s32 visible = 1;
};

struct QelScene {
  std::string name;
  std::vector<QelObject> objects;
};

class QelAnimation : public TokenReader {
 public:
  QelAnimation();
  ~QelAnimation() override;

  // Reads the file and loads every model it lists, advancing the loading progress
  // once per model. False (with error(): the file, the line and the problem) when
  // the file cannot be opened, ends without "Eof" or holds what the format does not
  // allow; a listed model that cannot be loaded is fatal.
  bool read(const std::string& path);
  const std::string& error() const { return mError; }
  // What read() let pass with a warning (file:line: problem), such as a part
  // the model does not have, whose track is then ignored.
  const std::vector<std::string>& warnings() const { return mWarnings; }

  // The number of models that reading the file will request (0 when it cannot be
  // opened): the model lines of its MQO blocks, comments read as read() reads them.
  u32 countModels(const std::string& path);

  std::array<resMQO*, CDEMO_OBJECT_NUMMAX> obj{};  // one held reference each
  std::vector<QelScene> scenes;
  std::vector<f32> sceneEnds;
  std::string modelDir;
  // Author mode: a listed model that cannot be loaded fails the read (with the
  // file and line) instead of ending the run.
  bool missingModelFails = false;

 private:
  // Reads one MQO block; with load false the model lines are only counted.
  bool readModels(bool load);
  bool readScene(std::string_view& t);
  bool readObject(QelScene& scene, std::string_view& t);
  bool readPart(QelObject& object, s32 keyCount, const std::string& what, std::string_view& t);
  bool readValues(f32* values, s32 count, const std::string& what);
  bool fail(const std::string& problem);
  void releaseModels();

  std::string mError;
  std::vector<std::string> mWarnings;
  u32 mModelLines = 0;
};

class resQEL : public resourceObject {
  VELL_CLASS(resQEL, resourceObject)
 public:
  resQEL() = default;
  ~resQEL() override;

  bool load(VellFileStream& stream) override;
  const char* getExtensionMask() const override { return "qel"; }
  // Reads the file again; the previous animation stays alive until the next
  // reload, so that holders can rebuild from the new one (the scene owning the
  // file does) without drawing through freed tracks in between.
  bool reload(std::string& error) override;

  // The models a file will load, for the loading progress.
  static u32 getModelCount(const char* fileName);
  // Overwrites (or, with null, resets) a model's material; returns the record.
  const MqoMaterial& setModelMaterial(const MqoMaterial* pMaterial, u32 mqoIndex, u32 materialIndex);
  // The first model whose path contains the text.
  u32 getModelIndex(const char* pText) const;

  u32 getSceneNum() const { return mpQel ? static_cast<u32>(mpQel->scenes.size()) : 0; }
  const QelScene& getScene(u32 index) const;
  const std::vector<QelScene>& getScenes() const;
  const std::vector<f32>& getSceneEnds() const;

  std::unique_ptr<QelAnimation> mpQel;

 private:
  std::unique_ptr<QelAnimation> mpRetired;
};
