// The one static vertexBufferManager, and the buffer names of vertexBufferObject.
#include "render/vertex_buffer_manager.h"

#include "platform/gl.h"

#include "framework/vell_manager.h"

namespace {
vertexBufferManager gVertexBufferManager;
}

vertexBufferManager::vertexBufferManager() { vell::registerManager(mpThis, this); }

vertexBufferManager::~vertexBufferManager() { vell::unregisterManager(mpThis); }

vertexBufferObject::vertexBufferObject() {
  // Its record can create one anywhere; without loaded entry points there is no
  // context to make names in, and calling through a null pointer would crash.
  if (!glGenBuffers) return;
  for (u32& buffer : mBuffers) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    buffer = name;
  }
}

vertexBufferObject::~vertexBufferObject() {
  if (!glDeleteBuffers) return;
  for (u32& buffer : mBuffers) {
    if (buffer) {
      const GLuint name = buffer;
      glDeleteBuffers(1, &name);
    }
    buffer = 0;
  }
}
