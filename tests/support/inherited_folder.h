// A temporary folder that a test prepares once and its death-test children use:
// a child runs the test again from the start in a fresh process, and finds the
// folder its parent made through an environment variable instead of making one.
#pragma once

#include <filesystem>
#include <optional>

#include "support/temp_dir.h"

class InheritedFolder {
 public:
  explicit InheritedFolder(const char* variable);
  ~InheritedFolder();
  InheritedFolder(const InheritedFolder&) = delete;
  InheritedFolder& operator=(const InheritedFolder&) = delete;

  // True in the process that made the folder: it fills it; a child only reads.
  bool isNew() const { return mDir.has_value(); }
  const std::filesystem::path& path() const { return mRoot; }

 private:
  const char* mVariable;
  std::optional<TempDir> mDir;  // only in the process that made the folder
  std::filesystem::path mRoot;
};
