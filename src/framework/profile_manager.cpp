// The one static profileManager and its node tree's tear-down.
#include "framework/profile_manager.h"

#include <chrono>

#include "framework/vell_manager.h"

namespace {
profileManager gProfileManager;
}

profileManager::profileManager() {
  using Clock = std::chrono::steady_clock;
  mFrequency = static_cast<s64>(Clock::period::den / Clock::period::num);
  mpCurrent = &mRoot;
  vell::registerManager(mpThis, this);
}

profileManager::~profileManager() {
  vell::unregisterManager(mpThis);
  freeNode(mRoot.mpChild);
  freeNode(mRoot.mpNext);
}

void profileManager::freeNode(TimingNode* pNode) {
  while (pNode) {
    freeNode(pNode->mpChild);
    TimingNode* pNext = pNode->mpNext;
    delete pNode;
    pNode = pNext;
  }
}
