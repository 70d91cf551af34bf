// Anchors VellDebug's record in the engine so it registers in every program.
#include "framework/vell_debug.h"
