// The Qel reader. Every loop also stops at the end of the input, so a damaged
// file fails with a message instead of reading for ever.
#include "resource/qel_animation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "framework/critical_check.h"
#include "framework/shell_path.h"
#include "framework/vell_file.h"
#include "resource/res_mqo.h"
#include "resource/resource_manager.h"

namespace {

std::string modelDirectoryOf(const std::string& path) {
  std::string directory = paths::removeFileSpec(path);
  if (!paths::isRelativePath(directory)) {
    const std::string& current = resourceManager::mpThis->getCurrentDirectory();
    // Models of a file under the current directory are named relative to it;
    // a file elsewhere keeps its own absolute folder (cutting the current
    // directory's length off a path that does not start with it gives nonsense).
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

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

QelAnimation::QelAnimation() = default;

QelAnimation::~QelAnimation() { releaseModels(); }

void QelAnimation::releaseModels() {
  for (resMQO*& pModel : obj) releaseResource(pModel);
}

bool QelAnimation::fail(const std::string& problem) {
  mError = mFileName + ":" + std::to_string(getLineNumber()) + ": " + problem;
  close();
  return false;
}

bool QelAnimation::read(const std::string& path) {
  scenes.clear();
  sceneEnds.clear();
  releaseModels();
  mError.clear();
  mWarnings.clear();
  if (!open(path)) {
    mError = "cannot open " + path;
    return false;
  }
  modelDir = modelDirectoryOf(path);
  for (;;) {
    std::string_view t = nextToken();
    if (t.empty() && atEnd()) {
      return fail("the file ends without \"Eof\"");
    }
    if (t == "MQO" && !readModels(true)) {
      return false;
    }
    // A scene hands back the token that ended it, which is then tested for "Eof".
    if (t == "Scene" && !readScene(t)) {
      return false;
    }
    if (t == "Eof") {
      close();
      // A scene without objects or key times adds no time.
      f32 end = 0.0f;
      for (const QelScene& scene : scenes) {
        const std::vector<f32>* times = scene.objects.empty() ? nullptr : &scene.objects[0].tracks.times;
        end += times && !times->empty() ? times->back() : 0.0f;
        sceneEnds.push_back(end);
      }
      return true;
    }
  }
}

bool QelAnimation::readModels(bool load) {
  if (nextToken() != "{") {
    return fail("the MQO block does not open with \"{\"");
  }
  std::string_view t = nextToken();
  while (t != "}") {
    if ((t.empty() && atEnd()) || t == "Eof") {
      return fail("the MQO block is not closed");
    }
    if (t.find('#') != std::string_view::npos) {
      // A comment runs up to the next token that begins with a digit; "#" on its
      // own first drops the two words after it.
      if (t == "#") {
        nextToken();
        nextToken();
      }
      // A comment token that begins with a digit itself must not end the
      // comment, or the same token is read for ever.
      if (!t.empty() && isDigit(t.front())) {
        if (atEnd()) return fail("the MQO block is not closed");
        t = nextToken();
      }
      while (!(!t.empty() && isDigit(t.front())) && t != "}") {
        if ((t.empty() && atEnd()) || t == "Eof") return fail("the MQO block is not closed");
        t = nextToken();
      }
      continue;
    }
    if (!isNumber(t)) {
      return fail(quoted(t) + " in the MQO block is neither a model index nor a comment");
    }
    const s32 object_num = toInteger(t);
    if (object_num < 0 || object_num >= static_cast<s32>(CDEMO_OBJECT_NUMMAX)) {
      return fail("model index " + std::to_string(object_num) + " is outside 0.." +
                  std::to_string(CDEMO_OBJECT_NUMMAX - 1));
    }
    const std::string_view nameToken = nextToken();
    if (nameToken.empty() || nameToken == "}") {
      return fail("model " + std::to_string(object_num) + " has no file name");
    }
    const std::string name(completeName(nameToken));
    ++mModelLines;
    if (load) {
      const std::string modelPath = modelDir + name;
      const std::string refusal = paths::dataNameRefusal(modelDir, name);
      if (!refusal.empty()) {
        return fail("model " + std::to_string(object_num) + " " + quoted(name) + " " + refusal);
      }
      releaseResource(obj[object_num]);  // a repeated index replaces the earlier model
      obj[object_num] = static_cast<resMQO*>(resourceManager::mpThis->getResource(modelPath.c_str(), resMQO::DTI));
      // Why, in the resource manager's words; of a file that is there but does
      // not read as a model, the model reader has said where already.
      std::string why = obj[object_num] ? std::string() : resourceManager::mpThis->lastFailure();
      if (why == "does not read as a .mqo file") why = "is not a model that loads (" + why + ")";
      if (!obj[object_num] && !missingModelFails) {
        std::fprintf(stderr, "orvane: %s:%llu: model %d %s cannot be loaded: it %s\n", mFileName.c_str(),
                     static_cast<unsigned long long>(getLineNumber()), object_num, quoted(modelPath).c_str(),
                     why.c_str());
      }
      if (!obj[object_num] && missingModelFails) {
        return fail("model " + std::to_string(object_num) + " " + quoted(modelPath) + " cannot be loaded: it " + why);
      }
      CRITICAL_CHECK(obj[object_num], "");
      resourceManager::mpThis->stepLoading();
    }
    t = nextToken();
  }
  return true;
}

bool QelAnimation::readScene(std::string_view& t) {
  QelScene& scene = scenes.emplace_back();
  scene.name = std::string(nextName());
  if (nextToken() != "{") {
    return fail("scene " + quoted(scene.name) + " does not open with \"{\"");
  }
  t = nextToken();
  while (t == "Object") {
    if (!readObject(scene, t)) return false;
  }
  if (t != "}" && t != "Eof") {
    return fail("scene " + quoted(scene.name) + ": " + quoted(t) + " where an \"Object\" or \"}\" belongs");
  }
  // Files have always played without it, so it stays a warning.
  if (t == "Eof") {
    mWarnings.push_back(mFileName + ":" + std::to_string(getLineNumber()) + ": scene " + quoted(scene.name) +
                        " has no closing \"}\" before \"Eof\"");
  }
  return true;
}

bool QelAnimation::readObject(QelScene& scene, std::string_view& t) {
  const std::string_view indexToken = nextToken();
  // Named as the file names it, by its model index.
  const std::string what = "scene " + quoted(scene.name) + ", Object " + std::string(indexToken);
  const s32 mqoIndex = toInteger(indexToken);
  if (!isNumber(indexToken) || mqoIndex < -1 || mqoIndex >= static_cast<s32>(CDEMO_OBJECT_NUMMAX)) {
    return fail(what + ": model index " + quoted(indexToken) + " is outside -1.." +
                std::to_string(CDEMO_OBJECT_NUMMAX - 1));
  }
  if (mqoIndex != -1 && !obj[mqoIndex]) {
    return fail(what + " animates model " + std::to_string(mqoIndex) + ", which no MQO block lists");
  }
  QelObject& object = scene.objects.emplace_back();
  object.mqoIndex = mqoIndex;
  object.mqo = mqoIndex == -1 ? nullptr : obj[mqoIndex];
  if (nextToken() != "{") {
    return fail(what + " does not open with \"{\"");
  }
  t = nextToken();
  if (t == "CameraTrans") {
    object.cameraTrans = toInteger(nextToken());
    t = nextToken();
  }
  if (t == "Visible") {
    object.visible = toInteger(nextToken());
    t = nextToken();
  }
  s32 keyCount = -1;  // no "DataNum" yet
  if (t == "DataNum") {
    const std::string_view countToken = nextToken();
    keyCount = toInteger(countToken);
    // Every key needs its time in the file: a large count beyond that is damage
    // and must not be allocated.
    constexpr s32 kKeysAlwaysAllowed = 4096;
    if (!isNumber(countToken) || keyCount < 0 ||
        (keyCount > kKeysAlwaysAllowed && static_cast<std::size_t>(keyCount) > remainingBytes() / 2)) {
      return fail(what + ": \"DataNum\" " + quoted(countToken) + " is not a key count the file can hold");
    }
    std::vector<std::string> partNames;
    if (mqoIndex == -1) {
      partNames = {"camera_pos", "camera_lookat"};
    } else {
      const MqoModel* mpMqo = object.mqo->getModel();
      CRITICAL_CHECK(mpMqo, "");
      for (const MqoObject& part : mpMqo->objects) partNames.push_back(part.name);
    }
    // The parts are named here but get their keys only from their blocks: the
    // count times the model's parts is not bounded by anything in the file, and
    // a part without keys evaluates to the default key just as default keys do.
    for (const std::string& name : partNames) object.tracks.parts[name];
    t = nextToken();
  }
  if (t == "Time") {
    if (keyCount < 0) return fail(what + ": \"Time\" comes before \"DataNum\"");
    object.tracks.times.resize(static_cast<std::size_t>(keyCount));
    if (!readValues(object.tracks.times.data(), keyCount, what + ", Time")) return false;
    t = nextToken();
  }
  bool hasParts = false;
  while (t == "Part") {
    if (keyCount < 0) return fail(what + ": \"Part\" comes before \"DataNum\"");
    if (!readPart(object, keyCount, what, t)) return false;
    hasParts = true;
  }
  // An object without parts still closes its own brace; the objects after it
  // belong to the same scene.
  if (!hasParts) {
    if (t != "}") return fail(what + ": " + quoted(t) + " is not part of an object");
    t = nextToken();
  }
  if (t != "Object" && t != "}" && t != "Eof") {
    return fail(what + ": " + quoted(t) + " is not part of an object");
  }
  return true;
}

bool QelAnimation::readPart(QelObject& object, s32 keyCount, const std::string& what, std::string_view& t) {
  const std::string name(nextName());
  const u64 line = getLineNumber();
  const std::string part = what + ", part " + quoted(name);
  const auto found = object.tracks.parts.find(name);
  // A model part the model lacks (the maker swapped the model) costs that track
  // only: its values are still read, so damage inside it fails as anywhere else.
  std::vector<QelKey>* keys = nullptr;
  if (found != object.tracks.parts.end()) {
    keys = &found->second;
  } else if (object.mqoIndex == -1) {
    return fail(part + " is not a part of the camera (\"camera_pos\", \"camera_lookat\")");
  } else {
    mWarnings.push_back(mFileName + ":" + std::to_string(line) + ": " + part + " is not a part of model " +
                        std::to_string(object.mqoIndex) + "; its track is ignored");
  }
  if (nextToken() != "{") {
    return fail(part + " does not open with \"{\"");
  }
  std::vector<f32> values;
  for (t = nextToken(); t == "Position" || t == "Rotation" || t == "Scale" || t == "Alpha"; t = nextToken()) {
    const int width = t == "Alpha" ? 1 : 3;
    const std::string block(t);
    values.resize(static_cast<std::size_t>(keyCount) * width);
    if (!readValues(values.data(), keyCount * width, part + ", " + block)) return false;
    if (!keys) continue;
    // The keys are made only now that the file has shown its values: a part
    // without blocks keeps no keys and evaluates to the default key.
    keys->resize(std::max(keys->size(), static_cast<std::size_t>(keyCount)));
    for (s32 k = 0; k < keyCount; ++k) {
      QelKey& key = (*keys)[static_cast<std::size_t>(k)];
      const f32* value = &values[static_cast<std::size_t>(k) * width];
      f32* target = block == "Position" ? key.position : block == "Rotation" ? key.rotation : block == "Scale" ? key.scale
                                                                                                              : &key.alpha;
      std::copy(value, value + width, target);
    }
  }
  if (t != "}") {
    return fail(part + ": " + quoted(t) + " where \"Position\", \"Rotation\", \"Scale\", \"Alpha\" or \"}\" belongs");
  }
  t = nextToken();
  if (t == "}") {
    t = nextToken();
  }
  return true;
}

bool QelAnimation::readValues(f32* values, s32 count, const std::string& what) {
  if (nextToken() != "{") {
    return fail(what + " does not open with \"{\"");
  }
  for (s32 i = 0; i < count; ++i) {
    const std::string_view token = nextToken();
    if (token == "}" || (token.empty() && atEnd())) {
      return fail(what + " holds " + std::to_string(i) + " values where \"DataNum\" asks for " + std::to_string(count));
    }
    if (!isNumber(token)) {
      return fail(what + ": " + quoted(token) + " is not a number");
    }
    values[i] = toFloat(token);
    if (!std::isfinite(values[i])) {
      return fail(what + ": " + quoted(token) + " is beyond the range of a float");
    }
  }
  if (nextToken() != "}") {
    return fail(what + " holds more values than \"DataNum\" asks for (" + std::to_string(count) + ")");
  }
  return true;
}

u32 QelAnimation::countModels(const std::string& path) {
  mModelLines = 0;
  if (!open(path)) {
    return 0;
  }
  for (;;) {
    const std::string_view token = nextToken();
    if (token == "Eof" || (token.empty() && atEnd())) {
      break;
    }
    if (token == "MQO" && !readModels(false)) {
      break;  // reading the file fails at the same place
    }
  }
  close();
  return mModelLines;
}

resQEL::~resQEL() = default;

bool resQEL::load(VellFileStream& stream) {
  resourceObject::load(stream);
  mpQel = std::make_unique<QelAnimation>();
  CRITICAL_CHECK(mpQel, "");
  const bool read = mpQel->read(stream.getPath());
  for (const std::string& warning : mpQel->warnings()) std::fprintf(stderr, "orvane: warning: %s\n", warning.c_str());
  if (!read) {
    std::fprintf(stderr, "orvane: cannot load animation: %s\n", mpQel->error().c_str());
    return false;
  }
  return true;
}

bool resQEL::reload(std::string& error) {
  auto pNext = std::make_unique<QelAnimation>();
  pNext->missingModelFails = true;
  if (!pNext->read(getPath())) {
    error = pNext->error();
    return false;
  }
  mpRetired = std::move(mpQel);
  mpQel = std::move(pNext);
  return true;
}

u32 resQEL::getModelCount(const char* fileName) {
  auto pQel = std::make_unique<QelAnimation>();
  CRITICAL_CHECK(pQel, "");
  return pQel->countModels(fileName ? fileName : "");
}

const MqoMaterial& resQEL::setModelMaterial(const MqoMaterial* pMaterial, u32 mqoIndex, u32 materialIndex) {
  CRITICAL_CHECK(mpQel, "");
  CRITICAL_CHECK(mqoIndex<CDEMO_OBJECT_NUMMAX, "invalid mqo index");
  CRITICAL_CHECK(mpQel->obj[mqoIndex], "mqo is not loaded.");
  resMQO* pModel = mpQel->obj[mqoIndex];
  if (materialIndex >= pModel->getMaterialNum()) {
    std::fprintf(stderr, "orvane: %s: model %s has %u materials, and a scene of the animation changes material %u\n",
                 getPath().c_str(), pModel->getPath().c_str(), pModel->getMaterialNum(), materialIndex);
  }
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
  if (index >= CDEMO_OBJECT_NUMMAX) {
    std::fprintf(stderr, "orvane: %s: no model whose file name holds \"%s\", which a scene of it draws\n",
                 getPath().c_str(), pText ? pText : "");
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
