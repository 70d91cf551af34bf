// A copy of the show's folder for one test (the music a link to the checkout's),
// that the test plays from: names in its tables must stay inside it, so a test's
// own effects are written into its data/shader/ rather than reached by "..".
#pragma once

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

// Fills root/data with the small test show of tests/data and what the program
// needs beside it from the real data folder: the fixed effects, the default
// texture and the music.
void writeTestShow(const std::filesystem::path& root);

class ShowFolder {
 public:
  ShowFolder();   // makes the folder and makes it the working folder
  ~ShowFolder();  // the working folder goes back to what it was

  // Writes an effect into data/shader/ (in place of a shipped one of that name)
  // and returns its name as a table names it.
  std::string effect(const std::string& name, const std::string& text) const;
  // Writes a file at a path relative to the folder and returns that path.
  std::string write(const std::string& relative, const std::string& bytes) const;
  const std::filesystem::path& path() const { return mDir.path(); }

 private:
  std::filesystem::path mPrevious;
  TempDir mDir;
};
