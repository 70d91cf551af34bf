// Mesa reads LP_NUM_THREADS once, when its first screen is made.
#include "platform/software_rasterizer.h"

#include <cstdlib>

namespace platform {

void keepSoftwareRasterizerOnDrawingThread() { setenv("LP_NUM_THREADS", "0", 0); }

}  // namespace platform
