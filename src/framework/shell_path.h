// Path-name helpers with the Windows shell's rules (backslash or slash separators,
// drive letters), and the mapping of such data paths onto this host's file system.
// Does not: touch the file system, except hostPath and pathFileExists.
#pragma once

#include <string>
#include <string_view>

namespace paths {

// Index of the extension's dot in the last path component, or path.size() when
// there is none (a dot followed by a space is not an extension).
std::size_t findExtension(std::string_view path);

// The extension without its dot, or empty.
std::string pathExtension(std::string_view path);

// The last path component ("data\model\a.mqo" -> "a.mqo").
std::string stripPath(std::string_view path);

// The path without the last component's extension.
std::string removeExtension(std::string_view path);

// The path without its last component and the separator before it
// ("data\model\a.mqo" -> "data\model", "a.mqo" -> "", "\a" -> "\", "C:\a" -> "C:\").
std::string removeFileSpec(std::string_view path);

// False for "\x", "/x" and "C:..." paths, true otherwise.
bool isRelativePath(std::string_view path);

// The host path for a data path: backslashes become slashes, repeated separators
// collapse; when the exact path does not exist, each component that is missing
// is matched case-insensitively against its directory. The result is the exact
// path when nothing matches, so the caller's open reports the failure.
std::string hostPath(std::string_view path);

// True when a name read from a data file, taken relative to `directory` (that
// file's folder, possibly empty), stays inside the data folder: the name is
// relative (no leading separator, no drive) and its ".." components never climb
// above the folder named "data" (the last such component of `directory`, or one
// the name itself enters first) nor, where there is none, above the top of
// `directory` (the working folder when it is relative).
// Names that fail are to be refused, so "..\..\x" or "C:\x" in a model or a
// table never reaches a file outside the show's data.
bool staysInDataFolder(std::string_view directory, std::string_view name);

// True when the data path names an existing file or directory (after hostPath).
bool pathFileExists(std::string_view path);

}  // namespace paths
