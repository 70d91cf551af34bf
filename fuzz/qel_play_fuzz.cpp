// Fuzz target: Qel animations evaluated against models with many parts. The
// first two input bytes choose how many parts the stand-in model has (up to
// 8191, named "p0" onwards after "body" and "head"); the rest is the file. Every
// track of every object is evaluated at key times and between them: each value
// must be finite. No GL: models come from a stand-in resource manager; a name
// containing "missing" does not load, whose end is prescribed.
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

#include "fuzz_harness.h"
#include "resource/mqo_model.h"
#include "resource/qel_animation.h"
#include "resource/res_mqo.h"
#include "resource/resource_manager.h"

namespace {

class StandInResources : public resourceManager {
 public:
  // One model per input, shared by every model line, as the real manager shares by path.
  void prepare(u32 partCount) {
    if (mpModel && mpModel->getModel()->objects.size() == partCount + 2) return;
    releaseResource(mpModel);
    mpModel = new resMQO;
    mpModel->mRefPtr = 1;  // the harness's own reference
    mpModel->mpMqo = std::make_unique<MqoModel>();
    mpModel->mpMqo->objects.resize(partCount + 2);
    mpModel->mpMqo->objects[0].name = "body";
    mpModel->mpMqo->objects[1].name = "head";
    for (u32 i = 0; i < partCount; ++i) mpModel->mpMqo->objects[i + 2].name = "p" + std::to_string(i);
  }
  resourceObject* getResource(const char* fileName, const VellDTI&) override {
    if (std::string(fileName ? fileName : "").find("missing") != std::string::npos) return nullptr;
    ++mpModel->mRefPtr;
    return mpModel;
  }

 private:
  resMQO* mpModel = nullptr;
};

StandInResources* gpStandIn = nullptr;

void checkFinite(const QelKey& key) {
  const f32* values[] = {key.rotation, &key.alpha, key.scale, key.position};
  const int widths[] = {3, 1, 3, 3};
  for (int group = 0; group < 4; ++group) {
    for (int axis = 0; axis < widths[group]; ++axis) {
      if (!std::isfinite(values[group][axis])) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({"Critical error:[obj[object_num] + \"\"]"});
  resourceManager::mpThis = nullptr;
  gpStandIn = new StandInResources;  // never destroyed, like the static manager it replaces
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  if (size < 2) return 0;
  gpStandIn->prepare((static_cast<u32>(pData[0]) << 8 | pData[1]) & 0x1FFF);
  const std::string path = fuzzing::writeInput(pData + 2, size - 2, "qel");
  fuzzing::runGuarded([&] {
    QelAnimation animation;
    if (!animation.read(path)) {
      fuzzing::explainRefusal(animation.error());
      return;
    }
    if (animation.sceneEnds.size() != animation.scenes.size()) std::abort();
    const f32 odd[] = {-1.0f, 0.0f, std::numeric_limits<f32>::quiet_NaN(), std::numeric_limits<f32>::infinity(),
                       -std::numeric_limits<f32>::infinity(), 3.0e38f};
    for (const QelScene& scene : animation.scenes) {
      for (const QelObject& object : scene.objects) {
        const std::vector<f32>& times = object.tracks.times;
        for (const auto& [name, keys] : object.tracks.parts) {
          if (!keys.empty() && keys.size() < times.size()) std::abort();
          for (const f32 time : odd) checkFinite(object.tracks.evaluate(name, time));
          // Key times and the middle of each span, bounded so many keys stay quick.
          for (std::size_t k = 0; k < times.size() && k < 64; ++k) {
            checkFinite(object.tracks.evaluate(name, times[k]));
            if (k + 1 < times.size()) checkFinite(object.tracks.evaluate(name, times[k] * 0.5f + times[k + 1] * 0.5f));
          }
        }
        checkFinite(object.tracks.evaluate("not a part", 1.0f));
      }
    }
  });
  return 0;
}
