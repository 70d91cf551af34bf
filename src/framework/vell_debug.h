// VellDebug: a registered class with no behaviour of its own; only its record
// exists during a run.
#pragma once

#include "framework/vell_object.h"

class VellDebug : public VellObject {
  VELL_CLASS(VellDebug, VellObject)
 public:
  ~VellDebug() override = default;
};
