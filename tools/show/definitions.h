// The show's definition tables under data/definition/: the running order, the
// post-effect chain and the effect textures.
#pragma once

#include <string>

namespace orvane::show {

std::string sceneLineDefinitions();
std::string postEffectDefinitions();
std::string shaderTextureDefinitions();

}  // namespace orvane::show
