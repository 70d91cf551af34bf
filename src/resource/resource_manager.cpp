// Loading and sharing of resources, the loading progress, and the one static
// resourceManager. Main thread only.
#include "resource/resource_manager.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "framework/critical_check.h"
#include "framework/shell_path.h"
#include "framework/vell_file.h"
#include "framework/vell_manager.h"

namespace {

resourceManager gResourceManager;

bool extensionMatchesMask(const std::string& extension, const char* mask) {
  std::string_view rest = mask ? mask : "";
  for (;;) {
    const std::size_t bar = rest.find('|');
    const std::string_view token = rest.substr(0, bar);
    if (!token.empty() && token.size() < 64 && token.size() == extension.size() &&
        ::strncasecmp(token.data(), extension.data(), token.size()) == 0) {
      return true;
    }
    if (bar == std::string_view::npos) {
      return false;
    }
    rest.remove_prefix(bar + 1);
  }
}

}  // namespace

resourceManager::resourceManager() {
  vell::registerManager(mpThis, this);
  char buffer[1024];
  if (::getcwd(buffer, sizeof buffer)) {
    mCurrentDirectory = buffer;
  }
}

resourceManager::~resourceManager() { vell::unregisterManager(mpThis); }

resourceObject* resourceManager::getResource(const char* fileName, const VellDTI& dti) {
  CRITICAL_CHECK(dti.isKindOf(resourceObject::DTI), "invalid dti");
  const std::string name = fileName ? fileName : "";
  mLastFailure.clear();
  for (resourceObject* pResource : mResources) {
    if (pResource->getPath() == name) {
      ++pResource->mRefPtr;
      return pResource;
    }
  }
  // Another spelling of a file already loaded (separators, case, "..", links)
  // shares it: two objects for one effect file would collide by name in the
  // shader registry.
  const std::string host = paths::canonicalPath(name);
  for (std::size_t i = 0; i < mResources.size(); ++i) {
    if (mHostPaths[i] == host) {
      ++mResources[i]->mRefPtr;
      return mResources[i];
    }
  }

  // Checked on the resolved file, so a link out of the folder is caught too.
  mLastFailure = paths::dataFolderRefusal(name);
  if (!mLastFailure.empty()) {
    return nullptr;
  }
  const std::string extension = paths::pathExtension(name);
  resourceObject* pResource = static_cast<resourceObject*>(dti.create());
  if (!pResource) {
    mLastFailure = "cannot be made";
    return nullptr;
  }
  std::string kinds = pResource->getExtensionMask();
  for (std::size_t bar = kinds.find('|'); bar != std::string::npos; bar = kinds.find('|')) kinds.replace(bar, 1, " or .");
  if (extension.empty() || !extensionMatchesMask(extension, pResource->getExtensionMask())) {
    mLastFailure = "is not a ." + kinds + " file";
    delete pResource;
    return nullptr;
  }
  pResource->mRefPtr = 1;

  VellFile file;
  VellFileStream stream(&file);
  if (!file.open(name.c_str())) {
    mLastFailure = paths::pathFileExists(name) ? "cannot be opened" : "is not found";
    releaseResourceObject(pResource);
    return nullptr;
  }
  if (!pResource->load(stream)) {
    mLastFailure = "does not read as a ." + kinds + " file";
    releaseResourceObject(pResource);
    return nullptr;
  }
  mResources.push_back(pResource);
  mHostPaths.push_back(host);
  return pResource;
}

resourceObject* resourceManager::findResource(const std::string& fileName) const {
  for (resourceObject* pResource : mResources) {
    if (pResource->getPath() == fileName) return pResource;
  }
  const std::string host = paths::canonicalPath(fileName);
  for (std::size_t i = 0; i < mResources.size(); ++i) {
    if (mHostPaths[i] == host) return mResources[i];
  }
  return nullptr;
}

bool resourceManager::reloadResource(const std::string& fileName, std::string& error) {
  error.clear();
  resourceObject* pResource = findResource(fileName);
  if (!pResource) {
    error = fileName + ":0: not loaded";
    return false;
  }
  // Held while it reloads: a new version may release what the old one shared.
  ++pResource->mRefPtr;
  const bool reloaded = pResource->reload(error);
  if (reloaded) pResource->markReloaded();
  releaseResourceObject(pResource);
  return reloaded;
}

void resourceManager::removeResource(resourceObject* pResource) {
  const auto found = std::find(mResources.begin(), mResources.end(), pResource);
  if (found != mResources.end()) {
    mHostPaths.erase(mHostPaths.begin() + (found - mResources.begin()));
    mResources.erase(found);
  }
}

void resourceManager::addPreload(const char* fileName) {
  if (!fileName || !paths::pathFileExists(fileName)) {
    return;
  }
  if (std::find(mPreloadFiles.begin(), mPreloadFiles.end(), fileName) == mPreloadFiles.end()) {
    mPreloadFiles.emplace_back(fileName);
  }
}

void resourceManager::preparePreload(u32 (*countModels)(const char* fileName)) {
  mLoadingStep = 0.0f;
  u32 mqoNum = 0;
  for (const std::string& file : mPreloadFiles) {
    mqoNum += countModels ? countModels(file.c_str()) : 0;
  }
  if (mqoNum == 0) {
    std::string files;
    for (const std::string& file : mPreloadFiles) files += (files.empty() ? "" : ", ") + file;
    std::fprintf(stderr, "orvane: the running order's animations (%s) load no model; at least one is needed\n",
                 files.c_str());
  }
  CRITICAL_CHECK(mqoNum>0, "");
  mLoadingStep = 1.0f / static_cast<f32>(mqoNum);
}

void resourceManager::stepLoading() {
  mLoadingProgress += mLoadingStep;
  if (mLoadingListener) {
    mLoadingListener(mLoadingProgress);
  }
}
