// The two ways sub-scenes frame their effects: under their Qel scene's camera, or
// under a camera of their own.
#include "scenes/scene_patterns.h"

#include "platform/gl.h"
#include "render/camera_manager.h"
#include "render/jittered_projection.h"

void setOwnCamera(const FrameContext& frame, f64 fovyDegrees, f64 aspect, f64 zNear, f64 zFar, const f32 eye[3],
                  const f32 centre[3]) {
  jitteredPerspective(frame, fovyDegrees, aspect, zNear, zFar);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0.0, 1.0, 0.0);
  for (int axis = 0; axis < 3; ++axis) {
    cameraManager::mpThis->mEyePos[axis] = eye[axis];
  }
}

void drawUnderQelCamera(cQelRender* pRender, const FrameContext& frame, u32 sceneIndex, f32 progress,
                        AlphaTestSpan span, f32 threshold, const std::function<void()>& drawEffects) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  GLint alphaFunction = GL_ALWAYS;
  GLfloat alphaReference = 0.0f;
  if (span != AlphaTestSpan::none) {
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &alphaFunction);
    glGetFloatv(GL_ALPHA_TEST_REF, &alphaReference);
    glAlphaFunc(GL_GREATER, threshold);
  }
  if (span == AlphaTestSpan::qelScene) {
    glEnable(GL_ALPHA_TEST);
  }
  pRender->drawSceneByIndex(sceneIndex, progress, frame);
  if (span == AlphaTestSpan::qelScene) {
    glDisable(GL_ALPHA_TEST);
  }
  if (span == AlphaTestSpan::effects) {
    glEnable(GL_ALPHA_TEST);
  }
  pRender->setCamera(sceneIndex, progress, frame);
  glPushMatrix();
  drawEffects();
  glPopMatrix();
  if (span == AlphaTestSpan::effects) {
    glDisable(GL_ALPHA_TEST);
  }
  if (span != AlphaTestSpan::none) {
    glAlphaFunc(static_cast<GLenum>(alphaFunction), alphaReference);
  }
}
