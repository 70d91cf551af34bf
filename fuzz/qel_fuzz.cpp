// Fuzz target: the Qel animation reader. Models come from a stand-in resource
// manager that hands out parsed-only models with two named parts, so no GL is
// needed; a name containing "missing" does not load, whose end is prescribed.
#include <memory>

#include "fuzz_harness.h"
#include "resource/mqo_model.h"
#include "resource/qel_animation.h"
#include "resource/res_mqo.h"
#include "resource/resource_manager.h"

namespace {

class StandInResources : public resourceManager {
 public:
  resourceObject* getResource(const char* fileName, const VellDTI&) override {
    if (std::string(fileName ? fileName : "").find("missing") != std::string::npos) return nullptr;
    auto* pModel = new resMQO;
    pModel->mRefPtr = 1;
    pModel->mpMqo = std::make_unique<MqoModel>();
    pModel->mpMqo->objects.resize(2);
    pModel->mpMqo->objects[0].name = "body";
    pModel->mpMqo->objects[1].name = "head";
    return pModel;
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::acceptFatalTexts({"Critical error:[obj[object_num] + \"\"]"});
  // The engine's own manager is a static object; the stand-in takes its place
  // for the whole run and is never destroyed, as the static one unregisters at exit.
  resourceManager::mpThis = nullptr;
  static StandInResources* pStandIn = new StandInResources;
  (void)pStandIn;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* pData, std::size_t size) {
  const std::string path = fuzzing::writeInput(pData, size, "qel");
  fuzzing::runGuarded([&] {
    QelAnimation animation;
    if (!animation.read(path)) fuzzing::explainRefusal(animation.error());
    QelAnimation counter;
    counter.countModels(path);
  });
  return 0;
}
