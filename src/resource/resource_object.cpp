// The base load and the release rule.
#include "resource/resource_object.h"

#include "framework/critical_check.h"
#include "framework/shell_path.h"
#include "framework/vell_file.h"
#include "resource/resource_manager.h"

bool resourceObject::load(VellFileStream& stream) {
  mPath = stream.getPath();
  mName = paths::removeExtension(paths::stripPath(mPath));
  return true;
}

bool resourceObject::reload(std::string& error) {
  error = mPath + ":0: this kind of file cannot be reloaded";
  return false;
}

void releaseResourceObject(resourceObject* pResource) {
  u32& mRefPtr = pResource->mRefPtr;
  CRITICAL_CHECK(mRefPtr, "reference pointer underflow!");
  --mRefPtr;
  if (mRefPtr == 0) {
    if (resourceManager::mpThis) {
      resourceManager::mpThis->removeResource(pResource);
    }
    delete pResource;
  }
}
