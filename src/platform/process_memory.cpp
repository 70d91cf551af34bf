// Resident memory from Linux's /proc/self/statm (its second field, in pages).
#include "platform/process_memory.h"

#include <unistd.h>

#include <cstdio>

namespace platform {

u64 residentBytes() {
  std::FILE* pFile = std::fopen("/proc/self/statm", "r");
  if (!pFile) return 0;
  unsigned long long size = 0, resident = 0;
  const int read = std::fscanf(pFile, "%llu %llu", &size, &resident);
  std::fclose(pFile);
  const long page = sysconf(_SC_PAGESIZE);
  return read == 2 && page > 0 ? static_cast<u64>(resident) * static_cast<u64>(page) : 0;
}

}  // namespace platform
