// The running program's folder, from Linux's /proc/self/exe.
#include "platform/program_folder.h"

#include <system_error>

namespace platform {

std::filesystem::path programFolder() {
  std::error_code failure;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failure);
  return failure ? std::filesystem::path() : program.parent_path();
}

}  // namespace platform
