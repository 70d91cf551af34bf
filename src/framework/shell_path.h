// Path-name helpers with the Windows shell's rules (backslash or slash separators,
// drive letters), the mapping of data paths onto this host's files, their one
// canonical spelling and the check that they stay in the show's data folder.
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

// The one spelling of the file a data path names: absolute, with separators,
// ".", "..", letter case (as hostPath finds it) and symbolic links resolved, so
// every spelling of one file gives one text. A path whose end does not exist is
// resolved as far as it exists and normalised beyond that.
std::string canonicalPath(std::string_view path);

// Empty when the file a relative data path names (after canonicalPath, so
// links are followed) lies inside the show's folder, else why not, as a phrase
// ("leaves the data folder"). The show's folder is "data" below the working
// folder, or the working folder itself where there is none (tools reading loose
// files). An absolute path is the program's own (a tool's, a test's) and passes.
std::string dataFolderRefusal(std::string_view path);

// The same for a name read from a data file, taken relative to `directory` (that
// file's folder, possibly empty): a name with a drive or a leading separator is
// never the data's, and any other is refused as dataFolderRefusal(directory + name).
std::string dataNameRefusal(std::string_view directory, std::string_view name);

// True when the data path names an existing file or directory (after hostPath).
bool pathFileExists(std::string_view path);

}  // namespace paths
