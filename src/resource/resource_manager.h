// resourceManager: loads file-backed assets on request by file name and class,
// shares them by exact file name, reloads them in place in author mode, and drives
// the loading progress; keeps every load inside the show's data folder. Main
// thread only.
#pragma once

#include <functional>
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

  // The loaded resource for fileName (shared when already loaded, under any
  // spelling of its path that names the same file: "data\\shader\\x.fx",
  // "data/model/../shader/X.fx" and a link to it are one), or null when the file
  // lies outside the data folder, the extension does not fit the class, the
  // file does not open or does not load; lastFailure() then says which.
  virtual resourceObject* getResource(const char* fileName, const VellDTI& dti);
  // Why the last getResource gave null, as a phrase to follow the file's name
  // ("is not found", "leaves the data folder", ...).
  const std::string& lastFailure() const { return mLastFailure; }
  void removeResource(resourceObject* pResource);

  const std::vector<resourceObject*>& getResources() const { return mResources; }
  // The loaded resource of this file name, under any spelling, or null.
  resourceObject* findResource(const std::string& fileName) const;
  // Author mode: the loaded resource of this file reads its file again (see
  // resourceObject::reload); every holder keeps its pointer. False with `error`
  // when it is not loaded or the new version is refused.
  bool reloadResource(const std::string& fileName, std::string& error);

  // Loading progress: every animation file to be built is registered first, the
  // models they list are counted (by the reader of that format, which the caller
  // hands in), and each model loaded advances the progress and tells the listener.
  void addPreload(const char* fileName);
  void preparePreload(u32 (*countModels)(const char* fileName));
  void stepLoading();
  const std::vector<std::string>& getPreloadFiles() const { return mPreloadFiles; }
  f32 getLoadingStep() const { return mLoadingStep; }
  f32 getLoadingProgress() const { return mLoadingProgress; }
  // Called with the new progress on every model loaded (the entry draws its
  // loading scene and shows the frame); empty for none.
  void setLoadingListener(std::function<void(f32 progress)> listener) { mLoadingListener = std::move(listener); }
  const std::string& getCurrentDirectory() const { return mCurrentDirectory; }

 private:
  std::vector<resourceObject*> mResources;  // not owned: the holders own references
  std::vector<std::string> mHostPaths;      // the canonical path of each of mResources
  std::string mLastFailure;
  std::string mCurrentDirectory;
  std::vector<std::string> mPreloadFiles;
  f32 mLoadingStep = 0.0f;
  f32 mLoadingProgress = 0.0f;
  std::function<void(f32)> mLoadingListener;
};
