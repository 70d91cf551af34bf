// The Qel reader. Every loop also stops at the end of the input, so a damaged
// file fails with a message instead of reading for ever.
#include "resource/qel_animation.h"

#include <cctype>
#include <cstdio>

#include "framework/critical_check.h"
#include "framework/vell_file.h"
#include "platform/shell_path.h"
#include "resource/res_mqo.h"
#include "resource/resource_manager.h"

namespace {

// Keys per part beyond which a file is taken as damaged rather than allocated.
constexpr s32 kMaxKeys = 1 << 20;

std::string unquoted(const std::string& token) {
  std::string name = token.size() > 1 ? token.substr(1) : std::string();
  if (!name.empty() && name.back() == '"') name.pop_back();
  return name;
}

std::string modelDirectoryOf(const std::string& path) {
  std::string directory = platform::removeFileSpec(path);
  if (!platform::isRelativePath(directory)) {
    const std::string& current = resourceManager::mpThis->getCurrentDirectory();
    // Models of a file under the current directory are named relative to it;
    // a file elsewhere keeps its own absolute folder.
    if (!current.empty() && directory.compare(0, current.size(), current) == 0) {
      directory.erase(0, current.size());
    } else {
      return directory.empty() || directory.back() == '\\' || directory.back() == '/' ? directory : directory + "\\";
    }
  }
  if (directory.empty()) {
    return std::string();
  }
  if (directory[0] == '\\' || directory[0] == '/') {
    directory.erase(0, 1);
  }
  std::string result = ".\\" + directory;
  if (result.back() != '\\') {
    result += '\\';
  }
  return result;
}

}  // namespace

QelAnimation::QelAnimation() = default;

QelAnimation::~QelAnimation() { releaseModels(); }

void QelAnimation::releaseModels() {
  for (resMQO*& pModel : obj) releaseResource(pModel);
}

bool QelAnimation::fail(const std::string& problem) {
  mError = mFileName + ": " + problem + " (near line " + std::to_string(getLineNumber()) + ")";
  close();
  return false;
}

bool QelAnimation::read(const std::string& path) {
  if (!open(path)) {
    mError = "cannot open " + path;
    return false;
  }
  modelDir = modelDirectoryOf(path);
  scenes.clear();
  sceneEnds.clear();
  releaseModels();
  for (;;) {
    std::string token = nextToken();
    if (token.empty() && atEnd()) {
      return fail("the file ends without \"Eof\"");
    }
    if (token == "MQO" && !readModels()) {
      return false;
    }
    if (token == "Scene" && !readScene()) {
      return false;
    }
    if (token == "Eof" || mEndToken) {
      close();
      f32 end = 0.0f;
      for (const QelScene& scene : scenes) {
        const f32 duration =
            !scene.objects.empty() && !scene.objects[0].tracks.times.empty() ? scene.objects[0].tracks.times.back() : 0.0f;
        end += duration;
        sceneEnds.push_back(end);
      }
      return true;
    }
  }
}

bool QelAnimation::readModels() {
  expectBrace();
  std::string t = nextToken();
  while (t != "}") {
    if (atEnd() && t.empty()) return fail("the MQO block is not closed");
    if (t.find('#') != std::string::npos) {
      if (t == "#") {
        nextToken();
        nextToken();
      }
      // The comment runs to the next token that begins with a digit: a comment
      // token that begins with one itself must not end it, or it is read for ever.
      if (std::isdigit(static_cast<unsigned char>(t[0]))) {
        if (atEnd()) return fail("the MQO block is not closed");
        t = nextToken();
      }
      while (!(std::isdigit(static_cast<unsigned char>(t.empty() ? 'x' : t[0]))) && t != "}") {
        if (atEnd()) return fail("the MQO block is not closed");
        t = nextToken();
      }
      continue;
    }
    const s32 object_num = TokenReader::toInteger(t);
    const std::string name = unquoted(nextToken());
    if (object_num < 0 || object_num >= static_cast<s32>(CDEMO_OBJECT_NUMMAX)) {
      return fail("model index " + std::to_string(object_num) + " is outside 0.." +
                  std::to_string(CDEMO_OBJECT_NUMMAX - 1));
    }
    const std::string modelPath = modelDir + name;
    releaseResource(obj[object_num]);  // a repeated index replaces the earlier model
    obj[object_num] = static_cast<resMQO*>(resourceManager::mpThis->getResource(modelPath.c_str(), resMQO::DTI));
    if (!obj[object_num]) {
      std::fprintf(stderr, "orvane: %s: model %d \"%s\" cannot be loaded\n", mFileName.c_str(), object_num,
                   modelPath.c_str());
    }
    CRITICAL_CHECK(obj[object_num], "");
    resourceManager::mpThis->stepLoading();
    t = nextToken();
  }
  return true;
}

bool QelAnimation::readScene() {
  QelScene scene;
  scene.name = unquoted(nextToken());
  expectBrace();
  std::string t = nextToken();
  while (t == "Object") {
    QelObject object;
    object.mqoIndex = TokenReader::toInteger(nextToken());
    if (object.mqoIndex != -1 && (object.mqoIndex < 0 || object.mqoIndex >= static_cast<s32>(CDEMO_OBJECT_NUMMAX))) {
      return fail("scene \"" + scene.name + "\" animates model " + std::to_string(object.mqoIndex) +
                  ", outside 0.." + std::to_string(CDEMO_OBJECT_NUMMAX - 1));
    }
    object.mqo = object.mqoIndex < 0 ? nullptr : obj[object.mqoIndex];
    expectBrace();
    t = nextToken();
    if (t == "CameraTrans") {
      object.cameraTrans = TokenReader::toInteger(nextToken());
      t = nextToken();
    }
    if (t == "Visible") {
      object.visible = TokenReader::toInteger(nextToken());
      t = nextToken();
    }
    s32 keyCount = 0;
    if (t == "DataNum") {
      keyCount = TokenReader::toInteger(nextToken());
      t = nextToken();
      if (keyCount < 0 || keyCount > kMaxKeys) {
        return fail("DataNum " + std::to_string(keyCount) + " is out of range");
      }
      std::vector<std::string> partNames;
      if (object.mqoIndex == -1) {
        partNames = {"camera_pos", "camera_lookat"};
      } else {
        const resMQO* pModel = object.mqo;
        if (!pModel) {
          return fail("scene \"" + scene.name + "\" animates model " + std::to_string(object.mqoIndex) +
                      ", which the MQO block does not list");
        }
        const MqoModel* mpMqo = pModel->getModel();
        CRITICAL_CHECK(mpMqo, "");
        for (const MqoObject& part : mpMqo->objects) partNames.push_back(part.name);
      }
      for (const std::string& name : partNames) {
        std::vector<QelKey>& keys = object.tracks.parts[name];
        keys.resize(keys.size() + static_cast<std::size_t>(keyCount));
      }
    }
    if (t == "Time") {
      expectBrace();
      for (s32 k = 0; k < keyCount; ++k) object.tracks.times.push_back(TokenReader::toFloat(nextToken()));
      expectBrace();
      t = nextToken();
    }
    while (t == "Part") {
      if (atEnd()) return fail("scene \"" + scene.name + "\" ends inside a part");
      const std::string partName = unquoted(nextToken());
      if (object.tracks.parts.empty()) {
        int depth = 0;
        for (;;) {
          const std::string word = nextWord();
          if (word.empty()) return fail("part \"" + partName + "\" is not closed");
          if (word == "{") ++depth;
          if (word == "}") --depth;
          if (depth <= 0) break;
        }
      } else {
        // A part the object's model does not have still keeps its tracks.
        std::vector<QelKey>& keys = object.tracks.parts[partName];
        if (keys.size() < static_cast<std::size_t>(keyCount)) keys.resize(static_cast<std::size_t>(keyCount));
        expectBrace();
        t = nextToken();
        auto readTriples = [&](auto member) {
          expectBrace();
          for (s32 k = 0; k < keyCount; ++k) {
            f32* values = member(keys[static_cast<std::size_t>(k)]);
            for (int axis = 0; axis < 3; ++axis) values[axis] = TokenReader::toFloat(nextToken());
          }
          expectBrace();
          t = nextToken();
        };
        if (t == "Position") readTriples([](QelKey& key) { return key.position; });
        if (t == "Rotation") readTriples([](QelKey& key) { return key.rotation; });
        if (t == "Scale") readTriples([](QelKey& key) { return key.scale; });
        if (t == "Alpha") {
          expectBrace();
          for (s32 k = 0; k < keyCount; ++k) keys[static_cast<std::size_t>(k)].alpha = TokenReader::toFloat(nextToken());
          expectBrace();
          t = nextToken();
        }
      }
      t = nextToken();
      if (t == "}") {
        t = nextToken();
      }
    }
    scene.objects.push_back(std::move(object));
  }
  scenes.push_back(std::move(scene));
  if (t == "Eof") {
    mEndToken = true;
  }
  return true;
}

u32 QelAnimation::countModels(const std::string& path) {
  TokenReader reader;
  if (!reader.open(path)) {
    return 0;
  }
  u32 count = 0;
  for (;;) {
    const std::string token = reader.nextToken();
    if (token == "Eof" || (token.empty() && reader.atEnd())) {
      return count;
    }
    if (token == "MQO") {
      reader.expectBrace();
      for (std::string t = reader.nextToken(); t != "}"; t = reader.nextToken()) {
        if (t.empty() && reader.atEnd()) return count;
        if (t.find(".mqo") != std::string::npos) ++count;
      }
    }
  }
}

resQEL::~resQEL() = default;

bool resQEL::load(VellFileStream& stream) {
  resourceObject::load(stream);
  mpQel = std::make_unique<QelAnimation>();
  CRITICAL_CHECK(mpQel, "");
  if (!mpQel->read(stream.getPath())) {
    std::fprintf(stderr, "orvane: cannot load animation: %s\n", mpQel->error().c_str());
    return false;
  }
  return true;
}

u32 resQEL::getModelCount(const char* fileName) {
  auto pQel = std::make_unique<QelAnimation>();
  CRITICAL_CHECK(pQel, "");
  return QelAnimation::countModels(fileName ? fileName : "");
}

const MqoMaterial& resQEL::setModelMaterial(const MqoMaterial* pMaterial, u32 mqoIndex, u32 materialIndex) {
  CRITICAL_CHECK(mqoIndex<CDEMO_OBJECT_NUMMAX, "invalid mqo index");
  CRITICAL_CHECK(mpQel->obj[mqoIndex], "mqo is not loaded.");
  resMQO* pModel = mpQel->obj[mqoIndex];
  if (pMaterial) {
    pModel->overwriteMaterial(*pMaterial, materialIndex);
  } else {
    pModel->resetMaterial(materialIndex);
  }
  return pModel->getMaterial(materialIndex);
}

u32 resQEL::getModelIndex(const char* pText) const {
  u32 index = 0;
  while (index < CDEMO_OBJECT_NUMMAX &&
         !(mpQel && mpQel->obj[index] && mpQel->obj[index]->getPath().find(pText) != std::string::npos)) {
    ++index;
  }
  CRITICAL_CHECK(index<CDEMO_OBJECT_NUMMAX, "");
  return index;
}

const QelScene& resQEL::getScene(u32 index) const {
  CRITICAL_CHECK(mpQel, "");
  return mpQel->scenes.at(index);
}

const std::vector<QelScene>& resQEL::getScenes() const {
  CRITICAL_CHECK(mpQel, "");
  return mpQel->scenes;
}

const std::vector<f32>& resQEL::getSceneEnds() const {
  CRITICAL_CHECK(mpQel, "");
  return mpQel->sceneEnds;
}
