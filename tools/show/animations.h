// The show's Qel files: the main line (every catalogue scene but the light balls)
// and the overlay line (a resting scene, then the light balls), with camera moves
// that follow the music's energy.
#pragma once

#include "show/qel_writer.h"

namespace orvane::show {

QelFile buildMainLine();
QelFile buildOverlayLine();

}  // namespace orvane::show
