// The one static lightManager.
#include "render/light_manager.h"

#include "framework/vell_manager.h"

namespace {
lightManager gLightManager;
}

lightManager::lightManager() { vell::registerManager(mpThis, this); }

lightManager::~lightManager() { vell::unregisterManager(mpThis); }
