// lightManager: the blackboard for the light position of the most recent view
// set-up, read by the model renderer for its lighting. Main thread only.
#pragma once

#include "framework/types.h"
#include "framework/vell_object.h"

class lightManager : public VellObject {
  VELL_CLASS(lightManager, VellObject)
 public:
  inline static lightManager* mpThis = nullptr;

  lightManager();
  ~lightManager() override;

  // (0, 0, 0) until the first view set-up.
  f32 mLightPos[3] = {0.0f, 0.0f, 0.0f};
};
