// Windows-style path helpers and the case-insensitive mapping of data paths onto
// a case-sensitive host file system.
#include "framework/shell_path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace paths {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::size_t lastComponentStart(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (isSeparator(path[i]) || (i == 1 && path[1] == ':')) {
      start = i + 1;
    }
  }
  return start;
}

bool exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

// The entry of directory whose name equals name ignoring ASCII case, if any.
bool findCaseInsensitive(const std::string& directory, const std::string& name, std::string& found) {
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (!dir) {
    return false;
  }
  bool matched = false;
  while (dirent* entry = ::readdir(dir)) {
    if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = entry->d_name;
      matched = true;
      break;
    }
  }
  ::closedir(dir);
  return matched;
}

}  // namespace

std::size_t findExtension(std::string_view path) {
  std::size_t dot = path.size();
  for (std::size_t i = lastComponentStart(path); i < path.size(); ++i) {
    if (path[i] == '.') {
      dot = i;
    } else if (path[i] == ' ') {
      dot = path.size();
    }
  }
  return dot;
}

std::string pathExtension(std::string_view path) {
  const std::size_t dot = findExtension(path);
  return dot < path.size() ? std::string(path.substr(dot + 1)) : std::string();
}

std::string stripPath(std::string_view path) { return std::string(path.substr(lastComponentStart(path))); }

std::string removeExtension(std::string_view path) { return std::string(path.substr(0, findExtension(path))); }

std::string removeFileSpec(std::string_view path) {
  const std::size_t start = lastComponentStart(path);
  if (start == 0) {
    return std::string();
  }
  std::size_t end = start - 1;  // the separator (or the drive colon) before the last component
  const bool isRoot = end == 0 || (end == 2 && path[1] == ':') || (end == 1 && path[1] == ':');
  if (isRoot) {
    return std::string(path.substr(0, start));
  }
  return std::string(path.substr(0, end));
}

bool isRelativePath(std::string_view path) {
  if (path.empty()) {
    return true;
  }
  if (isSeparator(path[0])) {
    return false;
  }
  return !(path.size() >= 2 && path[1] == ':');
}

std::string hostPath(std::string_view path) {
  std::string exact;
  exact.reserve(path.size());
  for (char c : path) {
    const char mapped = c == '\\' ? '/' : c;
    if (mapped == '/' && !exact.empty() && exact.back() == '/') {
      continue;
    }
    exact.push_back(mapped);
  }
  if (exact.empty() || exists(exact)) {
    return exact;
  }

  // Walk the components, keeping each one that exists and matching the others
  // against their directory's entries ignoring case.
  std::vector<std::string> components;
  std::size_t begin = 0;
  const bool absolute = exact[0] == '/';
  while (begin <= exact.size()) {
    std::size_t end = exact.find('/', begin);
    if (end == std::string::npos) {
      end = exact.size();
    }
    if (end > begin) {
      components.emplace_back(exact.substr(begin, end - begin));
    }
    begin = end + 1;
  }
  std::string resolved = absolute ? "/" : "";
  for (std::size_t i = 0; i < components.size(); ++i) {
    const std::string& component = components[i];
    std::string candidate = resolved + component;
    if (!exists(candidate) && component != "." && component != "..") {
      std::string found;
      if (!findCaseInsensitive(resolved, component, found)) {
        return exact;
      }
      candidate = resolved + found;
    }
    resolved = candidate;
    if (i + 1 < components.size()) {
      resolved += '/';
    }
  }
  return resolved;
}

bool pathFileExists(std::string_view path) { return exists(hostPath(path)); }

std::string canonicalPath(std::string_view path) {
  std::error_code ignored;
  const std::filesystem::path host = hostPath(path);
  std::filesystem::path resolved = std::filesystem::weakly_canonical(std::filesystem::absolute(host, ignored), ignored);
  if (resolved.empty()) resolved = std::filesystem::absolute(host, ignored).lexically_normal();
  std::string text = resolved.string();
  // "a/b/" and "a/b" are one folder.
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

namespace {

bool isBelow(const std::string& path, const std::string& folder) {
  if (folder == "/") return true;
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

}  // namespace

std::string dataFolderRefusal(std::string_view path) {
  // An empty name names no file; what asked for it says so.
  if (path.empty() || !isRelativePath(path)) return std::string();
  std::error_code ignored;
  const bool hasData = std::filesystem::is_directory(hostPath("data"), ignored);
  const std::string root = canonicalPath(hasData ? "data" : ".");
  const std::string file = canonicalPath(path);
  if (isBelow(file, root)) return std::string();
  return hasData ? "leaves the data folder" : "leaves the working folder";
}

std::string dataNameRefusal(std::string_view directory, std::string_view name) {
  if (!isRelativePath(name)) return "is not relative, so it leaves the data folder";
  return dataFolderRefusal(std::string(directory) + std::string(name));
}

}  // namespace paths
