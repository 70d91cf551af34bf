// The own-camera set-up of the sub-scenes that do not follow a Qel camera.
#include "scenes/scene_patterns.h"

#include <GL/glu.h>

#include "render/camera_manager.h"
#include "screen/jitter.h"
#include "screen/scene_renderer.h"

void setOwnCamera(f64 fovyDegrees, f64 aspect, f64 zNear, f64 zFar, const f32 eye[3], const f32 centre[3]) {
  jitteredPerspective(currentJitterOffset(), fovyDegrees, aspect, zNear, zFar);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0.0, 1.0, 0.0);
  for (int axis = 0; axis < 3; ++axis) {
    cameraManager::mpThis->mEyePos[axis] = eye[axis];
  }
}
