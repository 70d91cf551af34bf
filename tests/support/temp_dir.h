// A fresh directory under the system's temporary folder, removed with its
// contents when the test ends, and a helper to write files into it.
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
