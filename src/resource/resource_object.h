// resourceObject: the base of every file-backed asset (animations, models, effects,
// textures), shared by file name and counted in mRefPtr. Main thread only.
#pragma once

#include <string>

#include "framework/types.h"
#include "framework/vell_object.h"

class VellFileStream;

class resourceObject : public VellObject {
  VELL_CLASS(resourceObject, VellObject)
 public:
  resourceObject() = default;
  ~resourceObject() override = default;

  // Records the path and the name; each resource class calls this first.
  virtual bool load(VellFileStream& stream);
  // The accepted file extensions, "|"-separated, without dots.
  virtual const char* getExtensionMask() const { return ""; }

  // Author mode: reads the file again as a new version of this object, which every
  // holder keeps pointing at. On failure the old version stays and `error` gets
  // "PATH:LINE: problem". Classes without a reload refuse it.
  virtual bool reload(std::string& error);
  // Counts successful reloads, so that holders who cache what they derived from
  // the object can notice a new version.
  u32 getVersion() const { return mVersion; }
  void markReloaded() { ++mVersion; }

  const std::string& getPath() const { return mPath; }
  // The file name without directory and extension.
  const std::string& getName() const { return mName; }

  u32 mRefPtr = 0;

 private:
  std::string mPath;
  std::string mName;
  u32 mVersion = 0;
};

// The release rule every holder applies when it lets go of a resource: the count
// must not already be zero; at zero the resource leaves the manager and is destroyed.
// Clears the holder's pointer.
template <class Resource>
void releaseResource(Resource*& pResource);

void releaseResourceObject(resourceObject* pResource);

template <class Resource>
void releaseResource(Resource*& pResource) {
  if (pResource) {
    releaseResourceObject(pResource);
    pResource = nullptr;
  }
}
