// The one door to OpenGL: every file outside the platform layer that issues GL
// calls includes this, so the loader (GLEW today) can be replaced in one place.
// GL calls go to the thread whose context is current, which is the main thread.
#pragma once

#include <GL/glew.h>
// Included after the loader, which must come first; the fixed-function helpers
// (gluPerspective, gluLookAt) that scenes and the Qel renderer use live here.
#include <GL/glu.h>
