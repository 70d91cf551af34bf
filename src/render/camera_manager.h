// cameraManager: the blackboard for the eye position of the most recent view
// set-up, read by the model renderer for its lighting. Main thread only.
#pragma once

#include "framework/types.h"
#include "framework/vell_object.h"

class cameraManager : public VellObject {
  VELL_CLASS(cameraManager, VellObject)
 public:
  inline static cameraManager* mpThis = nullptr;

  cameraManager();
  ~cameraManager() override;

  // x, y, z as passed to gluLookAt; (0, 0, 0) until the first view set-up.
  f32 mEyePos[3] = {0.0f, 0.0f, 0.0f};
};
