// The one static cameraManager.
#include "render/camera_manager.h"

#include "framework/vell_manager.h"

namespace {
cameraManager gCameraManager;
}

cameraManager::cameraManager() { vell::registerManager(mpThis, this); }

cameraManager::~cameraManager() { vell::unregisterManager(mpThis); }
