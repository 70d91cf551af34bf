// The two ways a sub-scene frames its own effects: under the camera of its Qel
// scene (with the alpha test over the Qel scene or over the effects, per class),
// or under a camera it sets itself. Main thread, inside a frame's drawing.
#pragma once

#include <functional>

#include "framework/types.h"
#include "render/qel_render.h"

// Where a scene's alpha test (GL_GREATER) applies.
enum class AlphaTestSpan { none, qelScene, effects };

// Identity modelview, the Qel scene with its camera, then that camera again for
// the scene's effects, which are drawn inside a pushed modelview.
void drawUnderQelCamera(cQelRender* pRender, const FrameContext& frame, u32 sceneIndex, f32 progress,
                        AlphaTestSpan span, f32 threshold, const std::function<void()>& drawEffects);

// Projection through the frame's anti-aliasing jitter, then an identity
// modelview looking from eye to centre with up (0, 1, 0); the eye goes to the
// camera manager.
void setOwnCamera(const FrameContext& frame, f64 fovyDegrees, f64 aspect, f64 zNear, f64 zFar, const f32 eye[3], const f32 centre[3]);
