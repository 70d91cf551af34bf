// The search for the show's data folder and the move into it.
#include "framework/data_folder.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

std::vector<fs::path> dataFolderCandidates(const fs::path& programFolder, const fs::path& installedFolder,
                                           const fs::path& workingFolder) {
  std::vector<fs::path> candidates;
  auto add = [&](const fs::path& folder) {
    if (folder.empty()) return;
    const fs::path normal = folder.lexically_normal();
    // "a/b/" and "a/b" are one folder.
    const fs::path tidy = normal.has_filename() ? normal : normal.parent_path();
    if (std::find(candidates.begin(), candidates.end(), tidy) == candidates.end()) candidates.push_back(tidy);
  };
  add(programFolder);
  if (!programFolder.empty()) add(programFolder / ".." / "share" / "orvane");
  add(installedFolder);
  add(workingFolder);
  return candidates;
}

std::optional<fs::path> findDataFolder(const std::vector<fs::path>& candidates) {
  for (const fs::path& folder : candidates) {
    std::error_code ignored;
    if (fs::is_directory(folder / "data", ignored)) return folder;
  }
  return std::nullopt;
}

std::optional<fs::path> chosenShowFolder(const std::optional<std::string>& option, const char* environment) {
  std::string named;
  if (option) {
    named = *option;
  } else if (environment && *environment) {
    named = environment;
  }
  if (named.empty()) return std::nullopt;
  std::error_code ignored;
  const fs::path absolute = fs::absolute(named, ignored).lexically_normal();
  return absolute.has_filename() ? absolute : absolute.parent_path();
}

std::string showFolderProblem(const fs::path& folder) {
  std::error_code ignored;
  if (!fs::is_directory(folder, ignored)) return folder.string() + " is no folder: a show folder holds data/";
  if (!fs::is_directory(folder / "data", ignored)) {
    return folder.string() + " holds no data folder: a show folder is the one that holds data/";
  }
  return {};
}

bool isShippedShow(const fs::path& folder, const fs::path& programFolder, const fs::path& installedFolder) {
  // Links count as the folder they lead to: a build tree's data/ leads to the checkout's.
  auto same = [](const fs::path& a, const fs::path& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code failure;
    const bool equal = fs::equivalent(a, b, failure);
    return !failure && equal;
  };
  return same(folder, programFolder) || (!programFolder.empty() && same(folder, programFolder / ".." / "share" / "orvane")) ||
         same(folder, installedFolder);
}

bool enterDataFolder(const std::vector<fs::path>& candidates, std::string& error) {
  const std::optional<fs::path> found = findDataFolder(candidates);
  if (!found) {
    error = "no show data: looked for a data folder in";
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      error += (i == 0 ? " " : i + 1 == candidates.size() ? " and " : ", ") + candidates[i].string();
    }
    if (candidates.empty()) error += " no folder";
    return false;
  }
  std::error_code failure;
  fs::current_path(*found, failure);
  if (failure) {
    error = "cannot make " + found->string() + " the working folder: " + failure.message();
    return false;
  }
  return true;
}
