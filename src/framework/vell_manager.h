// The manager singleton rule: a manager is one static object reached through its
// class's static mpThis; a second construction, or a destruction without an
// instance, is fatal. Each manager's constructor and destructor call these.
#pragma once

#include "framework/critical_check.h"

namespace vell {

template <class Manager>
void registerManager(Manager*& mpThis, Manager* self) {
  CRITICAL_CHECK(!mpThis, "");
  mpThis = self;
}

template <class Manager>
void unregisterManager(Manager*& mpThis) {
  CRITICAL_CHECK(mpThis, "");
  mpThis = nullptr;
}

}  // namespace vell
