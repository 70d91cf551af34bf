// resourceManager: loads file-backed assets on request by file name and class,
// shares them by exact file name, and drives the loading progress. Main thread only.
#pragma once

#include <string>
#include <vector>

#include "framework/types.h"
#include "framework/vell_object.h"
#include "resource/resource_object.h"

class resourceManager : public VellObject {
  VELL_CLASS(resourceManager, VellObject)
 public:
  inline static resourceManager* mpThis = nullptr;

  resourceManager();
  ~resourceManager() override;

  // The loaded resource for fileName (shared when already loaded), or null when the
  // extension does not fit the class, the file does not open or does not load.
  virtual resourceObject* getResource(const char* fileName, const VellDTI& dti);
  void removeResource(resourceObject* pResource);

  const std::vector<resourceObject*>& getResources() const { return mResources; }
  const std::string& getCurrentDirectory() const { return mCurrentDirectory; }

 private:
  std::vector<resourceObject*> mResources;  // not owned: the holders own references
  std::string mCurrentDirectory;
};
