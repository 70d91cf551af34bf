// The two ways a sub-scene frames its own effects: under the camera of its Qel
// scene (with the alpha test over the Qel scene or over the effects, per class),
// or under a camera it sets itself. Main thread, inside a frame's drawing.
#pragma once

#include <GL/glew.h>

#include "framework/types.h"
#include "render/qel_render.h"

// Where a scene's alpha test (GL_GREATER) applies.
enum class AlphaTestSpan { none, qelScene, effects };

// Identity modelview, the Qel scene with its camera, then that camera again for
// the scene's effects, which are drawn inside a pushed modelview.
template <class DrawEffects>
void drawUnderQelCamera(cQelRender* pRender, u32 sceneIndex, f32 progress, AlphaTestSpan span, f32 threshold,
                        DrawEffects drawEffects) {
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
  pRender->drawSceneByIndex(sceneIndex, progress);
  if (span == AlphaTestSpan::qelScene) {
    glDisable(GL_ALPHA_TEST);
  }
  if (span == AlphaTestSpan::effects) {
    glEnable(GL_ALPHA_TEST);
  }
  pRender->setCamera(sceneIndex, progress);
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

// Projection through the current anti-aliasing jitter, then an identity
// modelview looking from eye to centre with up (0, 1, 0); the eye goes to the
// camera manager.
void setOwnCamera(f64 fovyDegrees, f64 aspect, f64 zNear, f64 zFar, const f32 eye[3], const f32 centre[3]);
