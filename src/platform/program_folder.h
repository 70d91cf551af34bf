// The folder that holds the running program, as the system reports it (links
// resolved). Does not: look at the working folder or the command line.
#pragma once

#include <filesystem>

namespace platform {

// Empty when the system cannot tell.
std::filesystem::path programFolder();

}  // namespace platform
