// The bench's GL boundary.
#include "platform/gl_finish.h"

#include <GL/glew.h>

namespace platform {

void finishGl() { glFinish(); }

}  // namespace platform
