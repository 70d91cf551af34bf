// A fresh directory under the system's temporary folder, removed with its
// contents when the test ends, and a helper to write files into it; and a
// folder made the working folder for as long as an object lives.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return mPath; }
  // Writes bytes to a path relative to the directory, creating parent folders.
  std::string write(const std::string& relative, const std::string& bytes) const;

 private:
  std::filesystem::path mPath;
};

// The folder as the process's working folder for the object's scope; the one
// before is put back even when an assertion ends the test early.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::filesystem::path& folder) : mPrevious(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~WorkingFolder() { std::filesystem::current_path(mPrevious); }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  std::filesystem::path mPrevious;
};
