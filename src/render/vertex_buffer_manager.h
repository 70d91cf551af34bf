// vertexBufferManager, a singleton registered for its record only, and
// vertexBufferObject, five GL buffer object names held together. Main thread
// with the GL context current.
#pragma once

#include "framework/types.h"
#include "framework/vell_object.h"

class vertexBufferManager : public VellObject {
  VELL_CLASS(vertexBufferManager, VellObject)
 public:
  inline static vertexBufferManager* mpThis = nullptr;

  vertexBufferManager();
  ~vertexBufferManager() override;
};

class vertexBufferObject : public VellObject {
  VELL_CLASS(vertexBufferObject, VellObject)
 public:
  static constexpr int BUFFER_NUM = 5;

  // Generates the five names one at a time; none without a GL context.
  vertexBufferObject();
  ~vertexBufferObject() override;

  u32 mBuffers[BUFFER_NUM] = {0, 0, 0, 0, 0};
};
