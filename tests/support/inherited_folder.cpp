// The folder made by the test's own process, or the one its parent named.
#include "support/inherited_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

InheritedFolder::InheritedFolder(const char* variable) : mVariable(variable) {
  if (!GTEST_FLAG_GET(internal_run_death_test).empty()) {
    const char* pInherited = std::getenv(mVariable);
    mRoot = pInherited ? pInherited : "";
    return;
  }
  mDir.emplace();
  mRoot = mDir->path();
  setenv(mVariable, mRoot.c_str(), 1);
}

InheritedFolder::~InheritedFolder() {
  if (mDir) unsetenv(mVariable);
}
