// How much memory the running process holds, as the system counts it. Any thread.
// Does not: count GL or driver memory that the system does not map into us.
#pragma once

#include "framework/types.h"

namespace platform {

// Resident bytes (pages in memory now); 0 when the system cannot tell.
u64 residentBytes();

}  // namespace platform
